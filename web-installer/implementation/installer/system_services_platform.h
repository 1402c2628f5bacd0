// The platform's own SystemServices (Win32 on Windows; a portable stand-in
// elsewhere, for native runs of code that does not need Windows).
#pragma once

#include "installer/system_services.h"

namespace kovo::plugin::web::installer {

SystemServices& PlatformServices();

}  // namespace kovo::plugin::web::installer
