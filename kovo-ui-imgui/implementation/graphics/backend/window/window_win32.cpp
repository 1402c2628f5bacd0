#include "graphics/backend/window/window_win32.h"

#include <algorithm>
#include <list>
#include <utility>

#include "kovo-ui-imgui/logger/logger.h"
#include "platform/text_conversion_win32.h"

namespace kovo::desktop::ui::imgui {

namespace {

// ========================================================================
// Process-wide state
// ========================================================================

std::list<WindowWin32::MessageHandler>& Handlers() {
  // A list, so that the references AddMessageHandler hands out stay valid.
  static std::list<WindowWin32::MessageHandler> handlers;
  return handlers;
}

constexpr DWORD kFramelessStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Window operations other threads ask for, carried out by the GUI thread
// when it pumps them: a thread may not send a window message to the GUI
// thread's window (that would wait for it, and the logic thread may hold the
// lock the GUI thread waits on).
constexpr UINT kPostedMinimize = WM_APP + 1;
constexpr UINT kPostedBringToFront = WM_APP + 2;

HWND ToHwnd(NativeWindowHandle handle) { return static_cast<HWND>(handle); }

// Bit of a mouse button message's button; 0 for other messages.
unsigned ButtonBit(const MSG& message) {
  switch (message.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      return 1u;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      return 2u;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      return 4u;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_XBUTTONUP:
      return GET_XBUTTON_WPARAM(message.wParam) == XBUTTON1 ? 8u : 16u;
    default:
      return 0u;
  }
}

bool IsButtonUp(const MSG& message) {
  return message.message == WM_LBUTTONUP || message.message == WM_RBUTTONUP ||
         message.message == WM_MBUTTONUP || message.message == WM_XBUTTONUP;
}

std::optional<ScreenRect> ToScreenRect(const RECT& rect) {
  return ScreenRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

// ========================================================================
// Creation and destruction
// ========================================================================

std::unique_ptr<WindowWin32> WindowWin32::Create(const ApplicationCreateInfo& info) {
  std::wstring title = Utf8ToWide(info.gui.window.title);
  const HINSTANCE instance = GetModuleHandleW(nullptr);

  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_CLASSDC;
  window_class.lpfnWndProc = &WindowWin32::WindowProcedure;
  window_class.hInstance = instance;
  window_class.hIcon =
      static_cast<HICON>(LoadImageW(instance, L"GLFW_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                    GetSystemMetrics(SM_CYICON), 0));
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, L"GLFW_ICON", IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));

  // The object exists before the window, so that the window procedure can
  // find it from the first message on.
  std::unique_ptr<WindowWin32> window(
      new WindowWin32(window_class, std::move(title), info.gui.window.vsync));
  window->window_class_.lpszClassName = window->class_name_.c_str();
  if (!RegisterClassExW(&window->window_class_)) {
    LOG_ERROR("Could not register the window class: " << GetLastError());
    window->window_class_.lpszClassName = nullptr;
    return nullptr;
  }

  window->handle_ =
      CreateWindowExW(WS_EX_NOACTIVATE, window->class_name_.c_str(), window->class_name_.c_str(),
                      WS_OVERLAPPEDWINDOW, 100, 100, info.gui.window.size.width,
                      info.gui.window.size.height, nullptr, nullptr, instance, window.get());
  if (!window->handle_) {
    LOG_ERROR("Could not create the main window: " << GetLastError());
    return nullptr;
  }
  return window;
}

WindowWin32::WindowWin32(const WNDCLASSEXW& window_class, std::wstring class_name, bool vsync)
    : vsync_(vsync), window_class_(window_class), class_name_(std::move(class_name)) {}

WindowWin32::~WindowWin32() {
  // A window that never came to be leaves the handlers of others alone.
  if (handle_) {
    ClearMessageHandlers();
    if (!destroyed_) {
      destroying_ = true;
      DestroyWindow(handle_);
    }
  }
  UnregisterOwnClass();
}

void WindowWin32::UnregisterOwnClass() {
  if (window_class_.lpszClassName)
    UnregisterClassW(window_class_.lpszClassName, window_class_.hInstance);
}

WindowWin32::MessageHandler& WindowWin32::AddMessageHandler(MessageHandler handler) {
  Handlers().push_back(std::move(handler));
  return Handlers().back();
}

void WindowWin32::ClearMessageHandlers() { Handlers().clear(); }

// ========================================================================
// Window procedure
// ========================================================================

WindowWin32* WindowWin32::FromHandle(HWND hwnd) {
  return reinterpret_cast<WindowWin32*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK WindowWin32::WindowProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }

  for (auto& handler : Handlers()) {
    const MessageHandleResult result = handler(hwnd, message, wparam, lparam);
    if (result != MessageHandleResult::NotHandled) return static_cast<LRESULT>(result);
  }

  if (WindowWin32* window = FromHandle(hwnd)) {
    if (auto answer = window->HandleOwnMessage(message, wparam, lparam)) return *answer;
  }
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SYSCOMMAND:
      // Alt alone must not enter the (invisible) window menu.
      if ((wparam & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

std::optional<LRESULT> WindowWin32::HandleOwnMessage(UINT message, WPARAM, LPARAM lparam) {
  switch (message) {
    case kPostedMinimize:
      Minimize(handle_);
      return 0;
    case kPostedBringToFront:
      BringToFront(handle_);
      return 0;
    case WM_DESTROY:
      destroyed_ = true;
      if (destroying_) return 0;
      return std::nullopt;
    case WM_CLOSE:
      // A frameless window is the application's own: closing it is a request
      // the application answers (it may ask for confirmation first).
      if (!frameless_) return std::nullopt;
      close_requested_ = true;
      return 0;
    case WM_GETMINMAXINFO: {
      // A window without a caption would otherwise be maximised over the whole
      // monitor, task bar included.
      if (!frameless_) return std::nullopt;
      MONITORINFO monitor{};
      monitor.cbSize = sizeof(monitor);
      if (!GetMonitorInfoW(MonitorFromWindow(handle_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return std::nullopt;
      }
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMaxPosition.x = monitor.rcWork.left - monitor.rcMonitor.left;
      limits->ptMaxPosition.y = monitor.rcWork.top - monitor.rcMonitor.top;
      limits->ptMaxSize.x = monitor.rcWork.right - monitor.rcWork.left;
      limits->ptMaxSize.y = monitor.rcWork.bottom - monitor.rcWork.top;
      return 0;
    }
    default:
      return std::nullopt;
  }
}

// ========================================================================
// Message pump
// ========================================================================

void WindowWin32::Dispatch(const MSG& message) {
  last_message_ = message;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  if (message.message == WM_QUIT) should_close_ = true;
}

void WindowWin32::PumpMessages() {
  if (held_button_up_) {
    const MSG held = *held_button_up_;
    held_button_up_.reset();
    Dispatch(held);
  }
  unsigned pressed_this_frame = 0;
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    const unsigned button = ButtonBit(message);
    if (button && IsButtonUp(message) && (pressed_this_frame & button)) {
      // The rest of the queue waits too, so that the order of input is kept.
      held_button_up_ = message;
      return;
    }
    if (button && !IsButtonUp(message)) pressed_this_frame |= button;
    Dispatch(message);
  }
}

void WindowWin32::PollEvents() { PumpMessages(); }

void WindowWin32::WaitEvents() {
  if (!held_button_up_) WaitMessage();
  PumpMessages();
}

void WindowWin32::PostEmptyEvent() { PostMessageW(handle_, WM_NULL, 0, 0); }

void WindowWin32::PostMinimize() {
  if (!PostMessageW(handle_, kPostedMinimize, 0, 0)) {
    LOG_DEBUG("::PostMessage(minimise):" << GetLastError());
  }
}

void WindowWin32::PostBringToFront() {
  if (!PostMessageW(handle_, kPostedBringToFront, 0, 0)) {
    LOG_DEBUG("::PostMessage(bring to front):" << GetLastError());
  }
}

// ========================================================================
// Window management
// ========================================================================

void WindowWin32::Show() {
  ShowWindow(handle_, SW_SHOWDEFAULT);
  UpdateWindow(handle_);
}

void WindowWin32::Hide() {
  ShowWindow(handle_, SW_HIDE);
  UpdateWindow(handle_);
}

void WindowWin32::Minimize(NativeWindowHandle handle) {
  ShowWindow(ToHwnd(handle), SW_SHOWMINIMIZED);
  UpdateWindow(ToHwnd(handle));
}

void WindowWin32::ToggleMaximize(NativeWindowHandle handle) {
  const HWND hwnd = ToHwnd(handle);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(hwnd, &placement)) {
    LOG_ERROR("Could not switch maximized window state");
    return;
  }
  ShowWindow(hwnd, placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
  UpdateWindow(hwnd);
}

void WindowWin32::BringToFront(NativeWindowHandle handle) {
  const HWND hwnd = ToHwnd(handle);
  constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
  if (!SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace)) {
    LOG_DEBUG("::SetWindowPos(HWND_TOPMOST):" << GetLastError());
  }
  if (!SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace)) {
    LOG_DEBUG("::SetWindowPos(HWND_NOTOPMOST):" << GetLastError());
  }
  // Windows lets a thread take the foreground only while it shares the input
  // state of the window's thread.
  if (!AttachThreadInput(GetWindowThreadProcessId(hwnd, nullptr), GetCurrentThreadId(), TRUE)) {
    LOG_DEBUG("::AttachThreadInput():" << GetLastError());
  }
  if (!SetForegroundWindow(hwnd)) LOG_DEBUG("::SetForegroundWindow():" << GetLastError());
  if (!SetFocus(hwnd)) LOG_DEBUG("::SetFocus():" << GetLastError());
  if (!SetActiveWindow(hwnd)) LOG_DEBUG("::SetActiveWindow():" << GetLastError());
  UpdateWindow(hwnd);
}

void WindowWin32::SetPlacement(NativeWindowHandle handle, int x, int y, int width, int height) {
  const HWND hwnd = ToHwnd(handle);
  if (!SetWindowPos(hwnd, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW)) {
    LOG_DEBUG("::SetWindowPos(HWND_TOP):" << GetLastError());
  }
  UpdateWindow(hwnd);
}

std::optional<ScreenRect> WindowWin32::GetRect(NativeWindowHandle handle) const {
  RECT rect{};
  if (!GetWindowRect(ToHwnd(handle), &rect)) return std::nullopt;
  return ToScreenRect(rect);
}

std::optional<ScreenRect> WindowWin32::GetWorkArea(NativeWindowHandle handle) const {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(ToHwnd(handle), MONITOR_DEFAULTTONEAREST), &monitor)) {
    return std::nullopt;
  }
  return ToScreenRect(monitor.rcWork);
}

std::optional<ScreenPoint> WindowWin32::GetCursorPosition() const {
  POINT point{};
  if (!GetCursorPos(&point)) return std::nullopt;
  return ScreenPoint{point.x, point.y};
}

void WindowWin32::MoveTo(NativeWindowHandle handle, int x, int y) {
  if (!SetWindowPos(ToHwnd(handle), nullptr, x, y, 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    LOG_DEBUG("::SetWindowPos(move):" << GetLastError());
  }
}

// ========================================================================
// Frameless presentation
// ========================================================================

void WindowWin32::ShowFrameless(std::string_view window_id, int width, int height) {
  std::string caption = VisiblePartOfWindowId(window_id);
  if (frameless_ && frameless_->width == width && frameless_->height == height) {
    if (frameless_->caption != caption) {
      SetWindowTextW(handle_, Utf8ToWide(caption).c_str());
      frameless_->caption = std::move(caption);
    }
    return;
  }

  frameless_ = Frameless{caption, width, height};
  if (IsIconic(handle_) || IsZoomed(handle_)) ShowWindow(handle_, SW_RESTORE);
  // The main window was created not to take activation; as the visible window
  // of the program it must, and it gets a task bar button.
  SetWindowLongPtrW(handle_, GWL_STYLE, static_cast<LONG_PTR>(kFramelessStyle));
  SetWindowLongPtrW(handle_, GWL_EXSTYLE, static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  SetWindowTextW(handle_, Utf8ToWide(caption).c_str());

  int x = 100;
  int y = 100;
  if (const auto work = GetWorkArea(handle_)) {
    // Centred, but never with its top-left corner off the work area.
    x = work->x + std::max(0, (work->width - width) / 2);
    y = work->y + std::max(0, (work->height - height) / 2);
  }
  SetWindowPos(handle_, HWND_TOP, x, y, width, height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  SetForegroundWindow(handle_);
  SetActiveWindow(handle_);
  SetFocus(handle_);
  UpdateWindow(handle_);
}

bool WindowWin32::TakeCloseRequest() { return std::exchange(close_requested_, false); }

}  // namespace kovo::desktop::ui::imgui
