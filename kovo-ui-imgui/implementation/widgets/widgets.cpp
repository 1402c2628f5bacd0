#include "kovo-ui-imgui/widgets/widgets.h"

#include <imgui_internal.h>

#include <algorithm>
#include <string>

#include "kovo-ui-imgui/graphics/gui_context.h"
#include "kovo-ui-imgui/widgets/style_scope.h"
#include "widgets/palette.h"

namespace kovo::desktop::ui::imgui {

namespace {

constexpr float kTitleBarHeight = 40.0f;
constexpr float kTitleLeft = 8.0f;
constexpr float kIconSize = 16.0f;
constexpr float kTitlebarButtonWidth = 40.0f;
constexpr float kCloseButtonWidth = 36.0f;
constexpr float kCloseButtonHeight = 28.0f;
const ImVec2 kContentPadding{18.0f, 8.0f};

bool IsPopupKind(WindowKind kind) {
  return kind == WindowKind::Popup || kind == WindowKind::Modal ||
         kind == WindowKind::FramelessModal;
}

// A begun ImGui window or popup, ended when the scope ends (also when the
// content throws), as ImGui requires: End after every Begin, EndPopup only
// after a BeginPopup that returned true.
class WindowScope {
 public:
  WindowScope(WindowKind kind, const std::string& id, bool* open, ImGuiWindowFlags flags)
      : kind_(kind) {
    switch (kind) {
      case WindowKind::Popup:
        shown_ = ImGui::BeginPopup(id.c_str(), flags);
        break;
      case WindowKind::Modal:
      case WindowKind::FramelessModal:
        shown_ = ImGui::BeginPopupModal(id.c_str(), open, flags);
        break;
      default:
        shown_ = ImGui::Begin(id.c_str(), open, flags);
        break;
    }
  }
  WindowScope(const WindowScope&) = delete;
  WindowScope& operator=(const WindowScope&) = delete;
  ~WindowScope() {
    if (!IsPopupKind(kind_)) {
      ImGui::End();
    } else if (shown_) {
      ImGui::EndPopup();
    }
  }
  bool Shown() const { return shown_; }

 private:
  WindowKind kind_;
  bool shown_ = false;
};

class FontScope {
 public:
  FontScope(Widgets& widgets, FontKind face, std::uint8_t size) : widgets_(widgets) {
    widgets_.PushFont(face, size);
  }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;
  ~FontScope() { widgets_.PopFont(); }

 private:
  Widgets& widgets_;
};

ScreenRect CurrentWindowRect() {
  const ImVec2 pos = ImGui::GetWindowPos();
  const ImVec2 size = ImGui::GetWindowSize();
  return ScreenRect{static_cast<int>(pos.x), static_cast<int>(pos.y), static_cast<int>(size.x),
                    static_cast<int>(size.y)};
}

}  // namespace

Widgets::Widgets(AppContext& context)
    : context_(&context), window_(&context.gui.GetWindow()), fonts_(&context.gui.GetFontCache()) {}

void Widgets::PushFont(FontKind face, std::uint8_t size) {
  ImGui::PushFont(fonts_->Get(FontRequest{face, size}));
}

void Widgets::PopFont() { ImGui::PopFont(); }

bool Widgets::Button(std::string_view label, std::uint8_t font_size, std::optional<float> width,
                     bool accent, KovoButtons::ButtonKind kind) {
  FontScope font(*this, FontKind::Regular, font_size);
  return KovoButtons::Button(label, kind, accent, width).Show();
}

bool Widgets::ToolButton(std::string_view label, KovoButtons::ButtonKind kind) {
  return KovoButtons::ToolButton(label, kind).Show();
}

bool Widgets::TitlebarButton(std::string_view glyph) {
  FontScope font(*this, FontKind::Icons, kTitlebarIconSize);
  return KovoButtons::TitlebarButton(*this, glyph).Show();
}

bool Widgets::CloseButton() {
  FontScope font(*this, FontKind::Icons, kTitlebarIconSize);
  return KovoButtons::CloseButton(*this).Show();
}

void Widgets::Minimize() { window_->Minimize(window_->GetHandle()); }

void Widgets::CenterNextWindow(float width, float height) {
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_Appearing);
}

std::uint32_t Widgets::Window(WindowKind kind, float width, float height, WindowState& state,
                              std::string_view id, std::string_view title, const Content& content,
                              const WindowOptions& options) {
  const auto& colours = palette::Colours();
  std::uint32_t result = 0;
  const std::string window_id(id);
  bool open = true;

  if (kind == WindowKind::Frameless) {
    // The main native window is the frameless window; the ImGui window
    // covers its whole client area.
    window_->ShowFrameless(id, static_cast<int>(width), static_cast<int>(height));
    if (window_->TakeCloseRequest()) open = false;
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->Pos, ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_Always);
  } else if (kind == WindowKind::Fixed || kind == WindowKind::Resizable) {
    ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_FirstUseEver);
  } else {
    ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_Appearing);
  }

  ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoScrollbar |
                           ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysUseWindowPadding;
  if (kind != WindowKind::Resizable) flags |= ImGuiWindowFlags_NoResize;
  // No window moves by ImGui's own dragging: the framework title bar (or, for
  // the frameless kind, the view's title band) does it.
  flags |= ImGuiWindowFlags_NoMove;
  if (kind == WindowKind::Frameless) flags |= ImGuiWindowFlags_NoBringToFrontOnFocus;

  {
    StyleScope style;
    style.Colour(ImGuiCol_Border, colours.frame_blue)
        .Colour(ImGuiCol_WindowBg, colours.white)
        .Colour(ImGuiCol_PopupBg, colours.white)
        .Colour(ImGuiCol_ResizeGrip, 0)
        .Colour(ImGuiCol_ResizeGripHovered, 0)
        .Colour(ImGuiCol_ResizeGripActive, 0)
        .Var(ImGuiStyleVar_WindowBorderSize, 0.0f)
        .Var(ImGuiStyleVar_PopupBorderSize, 0.0f)
        .Var(ImGuiStyleVar_WindowPadding, ImVec2(0, 0))
        .Var(ImGuiStyleVar_WindowMinSize, ImVec2(width, height))
        .Var(ImGuiStyleVar_ItemSpacing, ImVec2(0, 0));

    WindowScope window(kind, window_id, &open, flags);
    if (!open) result |= kWindowClosed;
    if (kind == WindowKind::Popup && !window.Shown() && state.shown) result |= kWindowClosed;

    if (window.Shown()) {
      if (kind == WindowKind::Modal && !state.shown) window_->BringToFront(window_->GetHandle());
      ImVec2 drag(0, 0);
      if (kind <= WindowKind::Modal) result |= TitleBar(state, title, options, drag);
      {
        StyleScope content_style;
        content_style.Colour(ImGuiCol_ChildBg, colours.white)
            .Colour(ImGuiCol_Border, colours.white)
            .Var(ImGuiStyleVar_ChildBorderSize, 0.0f)
            .Var(ImGuiStyleVar_WindowBorderSize, 0.0f)
            .Var(ImGuiStyleVar_WindowPadding, kContentPadding);
        if (!state.focused) {
          ImGui::SetWindowFocus();
          state.focused = true;
        }
        if (content) content();
      }
      ApplyState(result, state, drag);
      if (kind == WindowKind::Frameless) DragFrameless(state, options);
    }
    state.shown = window.Shown();
  }
  return result;
}

std::uint32_t Widgets::TitleBar(WindowState& state, std::string_view title,
                                const WindowOptions& options, ImVec2& drag) {
  const auto& colours = palette::Colours();
  std::uint32_t result = 0;
  const float width = ImGui::GetWindowWidth();

  StyleScope style;
  style.Colour(ImGuiCol_ChildBg, colours.frame_blue)
      .Colour(ImGuiCol_Text, colours.white)
      .Colour(ImGuiCol_Button, colours.frame_blue)
      .Colour(ImGuiCol_ButtonHovered, colours.frame_blue)
      .Colour(ImGuiCol_ButtonActive, colours.frame_blue)
      .Var(ImGuiStyleVar_ItemSpacing, ImVec2(0, 0));
  ChildScope child("Title", ImVec2(width, kTitleBarHeight),
                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);

  float buttons_width = 0;
  if (options.minimize_button) buttons_width += kTitlebarButtonWidth;
  if (options.maximize_button) buttons_width += kTitlebarButtonWidth;
  if (options.close_button) buttons_width += kCloseButtonWidth;

  // The free part of the bar drags the window; the title is drawn over it.
  ImGui::SetCursorPos(ImVec2(0, 0));
  ImGui::InvisibleButton("##drag", ImVec2(std::max(1.0f, width - buttons_width), kTitleBarHeight));
  if (ImGui::IsItemActive() && !state.maximized) drag = ImGui::GetIO().MouseDelta;

  const float text_height = ImGui::GetTextLineHeight();
  float x = kTitleLeft;
  if (options.icon) {
    ImGui::SetCursorPos(ImVec2(x, (kTitleBarHeight - kIconSize) * 0.5f));
    ImGui::Image(options.icon, ImVec2(kIconSize, kIconSize));
    x += kIconSize + kTitleLeft;
  }
  ImGui::SetCursorPos(ImVec2(x, (kTitleBarHeight - text_height) * 0.5f));
  ImGui::TextUnformatted(title.data(), title.data() + title.size());

  ImGui::SetCursorPos(ImVec2(width - buttons_width, 0));
  if (options.minimize_button) {
    if (TitlebarButton(kGlyphMinimize)) {
      Minimize();
      result |= kWindowMinimized;
    }
    ImGui::SameLine(0, 0);
  }
  if (options.maximize_button) {
    if (TitlebarButton(kGlyphMaximize)) {
      result |= state.maximized ? kWindowRestoreAsked : kWindowMaximizeAsked;
    }
    ImGui::SameLine(0, 0);
  }
  if (options.close_button) {
    ImGui::SetCursorPosY((kTitleBarHeight - kCloseButtonHeight) * 0.5f);
    if (CloseButton()) result |= kWindowClosed;
  }
  return result;
}

void Widgets::ApplyState(std::uint32_t result, WindowState& state, const ImVec2& drag) {
  if (drag.x != 0 || drag.y != 0) {
    const ImVec2 pos = ImGui::GetWindowPos();
    ImGui::SetWindowPos(ImVec2(pos.x + drag.x, pos.y + drag.y));
  }
  // Kinds 0 to 3 are ImGui windows inside the main window: maximising fills
  // the main viewport's work area, restoring puts the window back.
  if (result & kWindowMaximizeAsked) {
    state.restore_rect = CurrentWindowRect();
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetWindowPos(viewport->WorkPos);
    ImGui::SetWindowSize(viewport->WorkSize);
    state.maximized = true;
  } else if (result & kWindowRestoreAsked) {
    if (state.restore_rect) {
      const ScreenRect& rect = *state.restore_rect;
      ImGui::SetWindowPos(ImVec2(static_cast<float>(rect.x), static_cast<float>(rect.y)));
      ImGui::SetWindowSize(ImVec2(static_cast<float>(rect.width), static_cast<float>(rect.height)));
    }
    state.restore_rect.reset();
    state.maximized = false;
  }
}

void Widgets::DragFrameless(WindowState& state, const WindowOptions& options) {
  if (options.drag_height <= 0) return;
  const ImGuiIO& io = ImGui::GetIO();
  const ImVec2 origin = ImGui::GetWindowPos();
  const bool in_band = io.MouseClickedPos[0].y >= origin.y &&
                       io.MouseClickedPos[0].y < origin.y + options.drag_height;
  // Only a press on the window itself (not on a popup over it, not on an item).
  const bool pressed = ImGui::IsMouseClicked(ImGuiMouseButton_Left) && in_band &&
                       ImGui::IsWindowHovered(ImGuiHoveredFlags_ChildWindows) &&
                       !ImGui::IsAnyItemHovered();
  state.drag.Update(*window_, window_->GetHandle(), pressed,
                    ImGui::IsMouseDown(ImGuiMouseButton_Left));
}

}  // namespace kovo::desktop::ui::imgui
