#include "installer/folder_picker_win32.h"
#include "installer/text_conversion.h"
#include "installer/views/page_os_calls_platform.h"

namespace kovo::plugin::web::installer {

bool PlatformPickFolder(std::string& folder, desktop::ui::imgui::NativeWindowHandle owner) {
  // The picker shortens the folder it starts from even when the user cancels;
  // only a chosen folder may replace the caller's.
  std::wstring wide = ToWide(folder);
  if (!PickFolder(wide, static_cast<HWND__*>(owner))) return false;
  folder = ToUtf8(wide);
  return true;
}

}  // namespace kovo::plugin::web::installer
