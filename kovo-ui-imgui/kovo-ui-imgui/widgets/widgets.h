// The per-view helper through which a view opens its windows and popups,
// draws the framework's title bar, pushes fonts and minimises the window.
//
// Threads: a Widgets object may be built on any thread (the page view is
// built on the logic thread); every other operation is GUI-thread only and
// runs inside a frame (between GUIContext::NewFrame and Render).
//
//   Widgets widgets(context);
//   WindowState state;
//   widgets.CenterNextWindow(800, 700);
//   const auto result = widgets.Window(WindowKind::Frameless, 800, 700, state,
//                                      "КОВО Плагин##main", "КОВО Плагин", [&] { ... });
//   if (result & kWindowClosed) { ... }
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "kovo-ui-imgui/application/app_context.h"
#include "kovo-ui-imgui/fonts/font_cache.h"
#include "kovo-ui-imgui/graphics/window.h"
#include "kovo-ui-imgui/graphics/window_drag.h"
#include "kovo-ui-imgui/widgets/buttons.h"

namespace kovo::desktop::ui::imgui {

// Glyphs of the icon font (UTF-8).
inline constexpr std::string_view kGlyphMaximize = "\xEE\xA8\xAF";  // U+EA2F
inline constexpr std::string_view kGlyphMinimize = "\xEE\xAB\xA5";  // U+EAE5
inline constexpr std::string_view kGlyphClose = "\xEE\xAB\xAC";     // U+EAEC

// The size of the icon face the title-bar buttons use.
inline constexpr std::uint8_t kTitlebarIconSize = 18;

enum class WindowKind : int {
  Fixed = 0,           // an ordinary window of fixed size
  Resizable = 1,       // an ordinary window the user can resize
  Popup = 2,           // a popup; open it with ImGui::OpenPopup(id)
  Modal = 3,           // a modal popup; brings the program's window to the front when it opens
  Frameless = 4,       // the program's main window, frameless, without a title bar of ours
  FramelessModal = 5,  // a modal popup without a title bar of ours
};

// Bits of the result of Widgets::Window.
inline constexpr std::uint32_t kWindowMinimized = 1;
inline constexpr std::uint32_t kWindowMaximizeAsked = 2;
inline constexpr std::uint32_t kWindowRestoreAsked = 4;
inline constexpr std::uint32_t kWindowClosed = 8;

// What the framework keeps per window between frames. One record per
// window; a view keeps it with itself.
struct WindowState {
  // Keyboard focus has been given to the content (the first time the window
  // was shown with this record).
  bool focused = false;
  // The window was shown in the previous frame.
  bool shown = false;
  bool maximized = false;
  // The placement before maximising, put back on restore.
  std::optional<ScreenRect> restore_rect;
  // Set while the title bar is dragged.
  WindowDrag drag;

  void Reset() { *this = WindowState{}; }
};

// The title bar's buttons and icon (kinds 0 to 3 only).
struct WindowOptions {
  bool minimize_button = false;
  bool maximize_button = false;
  bool close_button = true;
  // An ImGui texture id drawn before the title, 16 x 16; none when null.
  void* icon = nullptr;
  // The frameless kind only: pressing the mouse within this many pixels of
  // the window's top, where no item is, drags the platform window (the
  // view's own title bar). 0: the window does not move.
  float drag_height = 0.0f;
};

class Widgets {
 public:
  using Content = std::function<void()>;

  // Any thread. Keeps the context's window and font cache.
  explicit Widgets(AppContext& context);

  // --- GUI thread, inside a frame ---

  // Push or pop a font of the font cache (regular, bold or icons).
  void PushFont(FontKind face, std::uint8_t size);
  void PopFont();

  // A KovoButtons::Button with its label in the regular face of `font_size`.
  bool Button(std::string_view label, std::uint8_t font_size,
              std::optional<float> width = std::nullopt, bool accent = false,
              KovoButtons::ButtonKind kind = KovoButtons::ButtonKind::Normal);
  bool ToolButton(std::string_view label,
                  KovoButtons::ButtonKind kind = KovoButtons::ButtonKind::Normal);
  // A KovoButtons::TitlebarButton in the icon face at kTitlebarIconSize.
  bool TitlebarButton(std::string_view glyph);
  bool CloseButton();

  // Minimises the program's window (the platform window of the current
  // viewport).
  void Minimize();

  // Centres the next window on the current viewport (the main one when there
  // is no current one) when that window first appears.
  void CenterNextWindow(float width, float height);

  // Begins the window or popup of the kind, draws the title bar (kinds 0-3)
  // and the content, applies the state's maximise, restore and drag, and
  // ends everything again, also when the content throws. Returns a set of
  // the kWindow* bits; kWindowClosed when the window was closed by its close
  // button or the platform (for the frameless kind: a close request of the
  // system, Alt+F4 or the taskbar, seen in the frame after it arrived).
  // The content is called only while the window is shown.
  std::uint32_t Window(WindowKind kind, float width, float height, WindowState& state,
                       std::string_view id, std::string_view title, const Content& content,
                       const WindowOptions& options = {});

  AppContext& Context() const { return *context_; }
  imgui::Window& PlatformWindow() const { return *window_; }
  const FontCache& Fonts() const { return *fonts_; }

 private:
  std::uint32_t TitleBar(WindowState& state, std::string_view title, const WindowOptions& options,
                         ImVec2& drag);
  void ApplyState(std::uint32_t result, WindowState& state, const ImVec2& drag);
  void DragFrameless(WindowState& state, const WindowOptions& options);

  AppContext* context_;
  imgui::Window* window_;
  const FontCache* fonts_;
};

}  // namespace kovo::desktop::ui::imgui
