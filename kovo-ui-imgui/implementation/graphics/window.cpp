#include "kovo-ui-imgui/graphics/window.h"

#include "kovo-ui-imgui/graphics/window_drag.h"

namespace kovo::desktop::ui::imgui {

std::string VisiblePartOfWindowId(std::string_view window_id) {
  return std::string(window_id.substr(0, window_id.find("##")));
}

void WindowDrag::Update(Window& window, NativeWindowHandle handle, bool pressed_on_title,
                        bool button_held) {
  if (pressed_on_title) {
    const auto cursor = window.GetCursorPosition();
    const auto rect = window.GetRect(handle);
    if (cursor && rect) {
      start_ = Start{*cursor, ScreenPoint{rect->x, rect->y}};
    } else {
      start_.reset();
    }
    return;
  }
  if (!start_) return;
  if (!button_held) {
    start_.reset();
    return;
  }
  const auto cursor = window.GetCursorPosition();
  if (!cursor) return;
  const int x = start_->window.x + cursor->x - start_->cursor.x;
  const int y = start_->window.y + cursor->y - start_->cursor.y;
  const auto rect = window.GetRect(handle);
  if (rect && rect->x == x && rect->y == y) return;
  window.MoveTo(handle, x, y);
}

}  // namespace kovo::desktop::ui::imgui
