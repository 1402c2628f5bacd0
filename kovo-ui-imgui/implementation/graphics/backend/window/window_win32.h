// The native main window on Win32, its window procedure and message pump.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kovo-ui-imgui/application/application_create_info.h"
#include "kovo-ui-imgui/graphics/window.h"

namespace kovo::desktop::ui::imgui {

class WindowWin32 final : public Window {
 public:
  enum class MessageHandleResult {
    ReturnZero = 0,  // handled; the window procedure returns 0
    ReturnOne = 1,   // handled; the window procedure returns 1
    NotHandled = 2,  // the next handler, then the default processing, sees it
  };
  using MessageHandler = std::function<MessageHandleResult(HWND, UINT, WPARAM, LPARAM)>;

  // Registers the window class named by the title and creates the main window,
  // hidden. Empty, after logging, when either fails.
  static std::unique_ptr<WindowWin32> Create(const ApplicationCreateInfo& info);

  // The process-wide handler list every window of the class consults, in
  // order. GUI thread only.
  static MessageHandler& AddMessageHandler(MessageHandler handler);
  static void ClearMessageHandlers();

  ~WindowWin32() override;
  WindowWin32(const WindowWin32&) = delete;
  WindowWin32& operator=(const WindowWin32&) = delete;

  void Show() override;
  void Hide() override;
  bool VSync() const override { return vsync_; }
  bool ShouldClose() const override { return should_close_; }
  void PollEvents() override;
  void WaitEvents() override;
  void PostEmptyEvent() override;
  void PostMinimize() override;
  void PostBringToFront() override;
  KeyMapper& GetKeyMapper() override { return key_mapper_; }
  void Minimize(NativeWindowHandle handle) override;
  void ToggleMaximize(NativeWindowHandle handle) override;
  void BringToFront(NativeWindowHandle handle) override;
  void SetPlacement(NativeWindowHandle handle, int x, int y, int width, int height) override;
  NativeWindowHandle GetHandle() const override { return handle_; }

  void ShowFrameless(std::string_view window_id, int width, int height) override;
  bool TakeCloseRequest() override;
  std::optional<ScreenRect> GetRect(NativeWindowHandle handle) const override;
  std::optional<ScreenRect> GetWorkArea(NativeWindowHandle handle) const override;
  std::optional<ScreenPoint> GetCursorPosition() const override;
  void MoveTo(NativeWindowHandle handle, int x, int y) override;

  HWND MainHandle() const { return handle_; }
  bool IsFrameless() const { return frameless_.has_value(); }

 private:
  struct Frameless {
    std::string caption;
    int width = 0;
    int height = 0;
  };

  WindowWin32(const WNDCLASSEXW& window_class, std::wstring class_name, bool vsync);

  static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static WindowWin32* FromHandle(HWND hwnd);
  std::optional<LRESULT> HandleOwnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void PumpMessages();
  void UnregisterOwnClass();
  void Dispatch(const MSG& message);

  Win32KeyMapper key_mapper_;
  bool vsync_ = true;
  bool should_close_ = false;
  WNDCLASSEXW window_class_{};
  HWND handle_ = nullptr;
  MSG last_message_{};

  // The class name that window_class_ points into.
  std::wstring class_name_;
  // A mouse button release held back to the next frame, because the button
  // went down in the frame being pumped: Dear ImGui samples the buttons once
  // per frame and would never see a press and release of the same frame.
  std::optional<MSG> held_button_up_;
  std::optional<Frameless> frameless_;
  bool close_requested_ = false;
  // Set while the destructor destroys the window: that destruction is not the
  // user's, so it posts no quit message into the thread's queue.
  bool destroying_ = false;
  // The native window is gone (the handle stays, for PostEmptyEvent callers
  // on other threads: posting to a dead window only fails).
  bool destroyed_ = false;
};

}  // namespace kovo::desktop::ui::imgui
