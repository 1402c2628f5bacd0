// The two things the installer pages ask of the operating system: open an
// address in the browser and let the user pick a folder. They are replaceable
// so that tests can draw the pages without a desktop and see what would have
// been opened.
//
// Threads: GUI thread only (the pages call them while drawing; a test swaps
// them before it draws).
#pragma once

#include <kovo-ui-imgui/graphics/window.h>

#include <functional>
#include <string>

namespace kovo::plugin::web::installer {

struct PageOsCalls {
  // Opens a complete web address with the shell. Failures are the callee's to
  // log; the page does not wait for the browser.
  std::function<void(const std::string& address)> openUrl;
  // Shows the folder dialog over owner, starting at folder (UTF-8). True with
  // the chosen install folder in folder; false (folder untouched) when the
  // user cancelled or the dialog failed. Blocks while the dialog is open.
  std::function<bool(std::string& folder, desktop::ui::imgui::NativeWindowHandle owner)> pickFolder;
};

// The platform's own calls.
PageOsCalls DefaultPageOsCalls();

// The calls in use: the platform's own unless a ScopedPageOsCalls is alive.
const PageOsCalls& CurrentPageOsCalls();

class ScopedPageOsCalls {
 public:
  explicit ScopedPageOsCalls(PageOsCalls replacement);
  ~ScopedPageOsCalls();
  ScopedPageOsCalls(const ScopedPageOsCalls&) = delete;
  ScopedPageOsCalls& operator=(const ScopedPageOsCalls&) = delete;

 private:
  PageOsCalls previous_;
};

}  // namespace kovo::plugin::web::installer
