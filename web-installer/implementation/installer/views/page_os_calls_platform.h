// The folder dialog of the platform (page_os_calls_win32.cpp; elsewhere there
// is none and the call reports a cancel).
#pragma once

#include <kovo-ui-imgui/graphics/window.h>

#include <string>

namespace kovo::plugin::web::installer {

bool PlatformPickFolder(std::string& folder, desktop::ui::imgui::NativeWindowHandle owner);

}  // namespace kovo::plugin::web::installer
