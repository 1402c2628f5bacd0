#include "installer/install_type_table.h"

namespace kovo::plugin::web::installer {

// The custom install selects features from the full package.
const std::map<InstallTypes, InstallTypeInfo> InstallTypeTable = {
    {InstallTypes::Recommended, {"recommended", "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi", 350}},
    {InstallTypes::Full, {"full", "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi", 660}},
    {InstallTypes::Min, {"min", "/Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi", 80}},
    {InstallTypes::Custom, {"custom", "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi", 660}},
};

}  // namespace kovo::plugin::web::installer
