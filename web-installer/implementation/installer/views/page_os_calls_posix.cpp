#include "installer/views/page_os_calls_platform.h"

namespace kovo::plugin::web::installer {

bool PlatformPickFolder(std::string&, desktop::ui::imgui::NativeWindowHandle) { return false; }

}  // namespace kovo::plugin::web::installer
