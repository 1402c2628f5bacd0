// The native window: message pump, a few window-management operations for
// the application's own title bar, and the frameless presentation of the
// main window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kovo-ui-imgui/graphics/key_mapper.h"

namespace kovo::desktop::ui::imgui {

// A top-level window of the platform (a HWND on Windows).
using NativeWindowHandle = void*;

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

inline bool operator==(const ScreenRect& a, const ScreenRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// Threads: every operation runs on the GUI thread (the thread that pumps the
// window's messages), except PostEmptyEvent, PostMinimize and PostBringToFront,
// which any thread may call: they post to the GUI thread and never wait for it.
class Window {
 public:
  virtual ~Window() = default;

  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool VSync() const = 0;
  // True once the platform's quit message was seen; never false again.
  virtual bool ShouldClose() const = 0;
  // Handles whatever messages are pending, without blocking.
  virtual void PollEvents() = 0;
  // Blocks until at least one message is there, then handles them all.
  virtual void WaitEvents() = 0;
  // Wakes WaitEvents. Callable from any thread.
  virtual void PostEmptyEvent() = 0;
  // Any thread: the main window is minimised, or brought to the front, by the
  // GUI thread when it next pumps its messages.
  virtual void PostMinimize() = 0;
  virtual void PostBringToFront() = 0;
  virtual KeyMapper& GetKeyMapper() = 0;

  // These act on any top-level window of the process. Failures are logged.
  virtual void Minimize(NativeWindowHandle handle) = 0;
  virtual void ToggleMaximize(NativeWindowHandle handle) = 0;
  virtual void BringToFront(NativeWindowHandle handle) = 0;
  virtual void SetPlacement(NativeWindowHandle handle, int x, int y, int width, int height) = 0;

  virtual NativeWindowHandle GetHandle() const = 0;

  // The main window becomes the program's visible window: a frameless popup
  // of the given outer size, centred on its monitor's work area, captioned
  // with the visible part of the ImGui window id (the text before "##"),
  // shown and activated. Calling it again with the same id and size does
  // nothing, so it may be called every frame; a new id only changes the
  // caption, a new size presents the window anew.
  virtual void ShowFrameless(std::string_view window_id, int width, int height) = 0;
  // Whether the system asked the frameless main window to close (Alt+F4,
  // the taskbar) since the last call. Such a request never destroys the
  // window: the application decides.
  virtual bool TakeCloseRequest() = 0;

  // The outer rectangle in screen coordinates.
  virtual std::optional<ScreenRect> GetRect(NativeWindowHandle handle) const = 0;
  // The work area (screen minus task bars) of the monitor the window is on.
  virtual std::optional<ScreenRect> GetWorkArea(NativeWindowHandle handle) const = 0;
  virtual std::optional<ScreenPoint> GetCursorPosition() const = 0;
  // Moves without resizing, activating or changing the stacking order.
  virtual void MoveTo(NativeWindowHandle handle, int x, int y) = 0;
};

// The caption a window shows for an ImGui window id: the part before "##".
std::string VisiblePartOfWindowId(std::string_view window_id);

}  // namespace kovo::desktop::ui::imgui
