// Moves a window while its title area is dragged. Works in screen
// coordinates, so the window moving under the cursor does not feed back
// into the drag.
#pragma once

#include <optional>

#include "kovo-ui-imgui/graphics/window.h"

namespace kovo::desktop::ui::imgui {

class WindowDrag {
 public:
  // Once per frame. `pressed_on_title` is true in the frame the mouse button
  // went down on the title area; `button_held` while it stays down.
  void Update(Window& window, NativeWindowHandle handle, bool pressed_on_title, bool button_held);
  bool Active() const { return start_.has_value(); }

 private:
  struct Start {
    ScreenPoint cursor;
    ScreenPoint window;
  };
  std::optional<Start> start_;
};

}  // namespace kovo::desktop::ui::imgui
