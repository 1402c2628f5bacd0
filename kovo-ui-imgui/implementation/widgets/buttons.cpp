#include "kovo-ui-imgui/widgets/buttons.h"

#include <imgui_internal.h>

#include <algorithm>
#include <string>

#include "kovo-ui-imgui/widgets/widgets.h"
#include "widgets/palette.h"

namespace kovo::desktop::ui::imgui::KovoButtons {

namespace {

std::string_view VisiblePart(std::string_view label) { return label.substr(0, label.find("##")); }

ImVec2 TextSize(ImFont* font, float size, std::string_view text) {
  return font->CalcTextSizeA(size, FLT_MAX, 0.0f, text.data(), text.data() + text.size());
}

ImFont* IconFont(const Widgets& widgets) {
  return widgets.Fonts().Get(FontRequest{FontKind::Icons, kTitlebarIconSize});
}

constexpr float kButtonMinimumHeight = 24.0f;
constexpr float kToolButtonPadding = 0.4f;
const ImVec2 kTitlebarButtonSize{40.0f, 40.0f};
const ImVec2 kCloseButtonSize{36.0f, 28.0f};

}  // namespace

AbstractButton::AbstractButton(std::string_view label, ButtonKind kind)
    : style_(ImGui::GetStyle()),
      label_(VisiblePart(label)),
      full_label_(label),
      window_(ImGui::GetCurrentWindow()),
      position_(window_->DC.CursorPos),
      id_(window_->GetID(label.data(), label.data() + label.size())),
      label_size_(ImGui::CalcTextSize(label_.data(), label_.data() + label_.size())),
      kind_(kind) {}

ImVec2 AbstractButton::Max() const {
  const ImVec2 size = Size();
  return ImVec2(position_.x + size.x, position_.y + size.y);
}

ImVec2 AbstractButton::CentredLabelPosition() const {
  const ImVec2 size = Size();
  return ImVec2(IM_FLOOR(position_.x + (size.x - label_size_.x) * 0.5f),
                IM_FLOOR(position_.y + (size.y - label_size_.y) * 0.5f));
}

bool AbstractButton::Show() {
  if (window_->SkipItems) return false;
  const ImRect rect(Min(), Max());
  ImGui::ItemSize(rect);
  if (!ImGui::ItemAdd(rect, id_)) return false;
  [[maybe_unused]] ImGuiContext& g = *GImGui;
  IMGUI_TEST_ENGINE_ITEM_INFO(id_, std::string(full_label_).c_str(), g.LastItemData.StatusFlags);

  ButtonBehaviour behaviour;
  if (kind_ != ButtonKind::Disabled) {
    behaviour.pressed = ImGui::ButtonBehavior(rect, id_, &behaviour.hovered, &behaviour.held);
    // Keyboard navigation activates with Space; Enter does it too, as users
    // expect of a focused button.
    if (ImGui::IsItemFocused() &&
        (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
         ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false))) {
      behaviour.pressed = true;
    }
    if (behaviour.hovered) ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
  }
  Render(behaviour);
  return behaviour.pressed;
}

// ---------------------------------------------------------------------------

Button::Button(std::string_view label, ButtonKind kind, bool accent, std::optional<float> width)
    : AbstractButton(label, kind),
      base_size_(label_size_.x, std::max(label_size_.y, kButtonMinimumHeight)),
      accent_(accent),
      width_(width) {}

ImVec2 Button::Size() const {
  if (width_) return ImVec2(*width_, base_size_.y);
  return ImVec2(base_size_.x + base_size_.y, base_size_.y);
}

void Button::Render(const ButtonBehaviour& behaviour) {
  const auto& colours = palette::Colours();
  const ImU32 border = accent_ ? colours.accent : colours.plain_border;
  const ImU32 hovered = accent_ ? colours.accent_hovered : colours.plain_hovered;
  const ImU32 held = accent_ ? colours.accent_held : colours.plain_held;
  const float rounding = Size().y * 0.5f;
  ImDrawList* draw = window_->DrawList;
  if (behaviour.hovered)
    draw->AddRectFilled(Min(), Max(), behaviour.held ? held : hovered, rounding);
  draw->AddRect(Min(), Max(), border, rounding, 0, kind_ == ButtonKind::Default ? 2.0f : 1.0f);
  draw->AddText(CentredLabelPosition(), colours.black, label_.data(),
                label_.data() + label_.size());
}

// ---------------------------------------------------------------------------

ToolButton::ToolButton(std::string_view label, ButtonKind kind)
    : AbstractButton(label, kind),
      padding_(label_size_.x * kToolButtonPadding, label_size_.y * kToolButtonPadding) {}

ImVec2 ToolButton::Size() const {
  return ImVec2(label_size_.x + padding_.x, label_size_.y + padding_.y);
}

void ToolButton::Render(const ButtonBehaviour&) {
  const auto& colours = palette::Colours();
  ImU32 text = colours.white;
  if (kind_ == ButtonKind::Default) text = colours.accent;
  if (kind_ == ButtonKind::Disabled) text = colours.muted_blue;
  ImDrawList* draw = window_->DrawList;
  draw->AddRectFilled(Min(), Max(), colours.frame_blue);
  draw->AddText(CentredLabelPosition(), text, label_.data(), label_.data() + label_.size());
}

// ---------------------------------------------------------------------------

TitlebarButton::TitlebarButton(Widgets& widgets, std::string_view glyph, ButtonKind kind)
    : AbstractButton(glyph, kind), widgets_(widgets) {
  // The glyph is measured and drawn in the icon face whatever font is pushed.
  label_size_ = TextSize(IconFont(widgets_), kTitlebarIconSize, label_);
}

ImVec2 TitlebarButton::Size() const { return kTitlebarButtonSize; }

void TitlebarButton::Render(const ButtonBehaviour& behaviour) {
  const auto& colours = palette::Colours();
  const ImU32 glyph = behaviour.hovered || behaviour.held ? colours.title_hover : colours.white;
  window_->DrawList->AddText(IconFont(widgets_), kTitlebarIconSize, CentredLabelPosition(), glyph,
                             label_.data(), label_.data() + label_.size());
}

// ---------------------------------------------------------------------------

CloseButton::CloseButton(Widgets& widgets, ButtonKind kind)
    : TitlebarButton(widgets, kGlyphClose, kind) {}

ImVec2 CloseButton::Size() const { return kCloseButtonSize; }

void CloseButton::Render(const ButtonBehaviour& behaviour) {
  const auto& colours = palette::Colours();
  ImDrawList* draw = window_->DrawList;
  const ImVec2 min = Min();
  const ImVec2 max = Max();
  draw->AddRectFilled(min, max, colours.white);
  draw->AddLine(ImVec2(min.x, min.y), ImVec2(min.x, max.y), colours.grey);
  draw->AddLine(ImVec2(max.x - 1, min.y), ImVec2(max.x - 1, max.y), colours.grey);
  const ImU32 glyph =
      behaviour.hovered || behaviour.held ? colours.close_pressed : colours.plain_border;
  draw->AddText(IconFont(widgets_), kTitlebarIconSize, CentredLabelPosition(), glyph, label_.data(),
                label_.data() + label_.size());
}

}  // namespace kovo::desktop::ui::imgui::KovoButtons
