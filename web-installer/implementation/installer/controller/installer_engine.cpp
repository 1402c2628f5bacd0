#include "installer/controller/installer_engine.h"

#include <utility>

namespace kovo::plugin::web::installer {

InstallerEngine::InstallerEngine(PageModel& model, std::wstring workingFolder)
    : model_(model), workingFolder_(std::move(workingFolder)) {}

}  // namespace kovo::plugin::web::installer
