#include "installer/views/message_box_view.h"

#include <imgui.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/widgets/style_scope.h>

#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace ui = desktop::ui::imgui;

namespace {

constexpr float kBoxWidth = 350.0f;
constexpr float kBoxHeight = 146.0f;
constexpr float kButtonWidth = 136.0f;
constexpr float kButtonHeight = 32.0f;
constexpr float kButtonGap = 10.0f;
constexpr float kButtonRounding = 30.0f;
// The button row stands this far above the bottom of the content region.
constexpr float kButtonRowFromBottom = 32.0f;
constexpr float kButtonRowSlack = 5.0f;
constexpr std::uint8_t kHeadingSize = 23;
constexpr std::uint8_t kMessageSize = 19;
constexpr std::uint8_t kButtonTextSize = 21;
const ImVec2 kItemSpacing{0.0f, 4.0f};
const ImVec2 kTextPadding{12.0f, 8.0f};

ImU32 Rgb(unsigned rgb) {
  return IM_COL32((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 0xFF);
}

const ImU32 kBackground = Rgb(0x2C3E50);
const ImU32 kText = Rgb(0xFFFFFF);
const ImU32 kYesColour = Rgb(0xFF8552);
const ImU32 kYesActiveColour = Rgb(0xFF7438);
const ImU32 kNoColour = Rgb(0x273748);
const ImU32 kNoActiveColour = Rgb(0x3E5266);

class Font {
 public:
  Font(ui::Widgets& widgets, std::uint8_t size) : widgets_(widgets) {
    widgets_.PushFont(ui::FontKind::Regular, size);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  ~Font() { widgets_.PopFont(); }

 private:
  ui::Widgets& widgets_;
};

// A line of text at the text padding's indent, wrapped inside the box.
void PaddedText(ui::Widgets& widgets, std::uint8_t size, const std::string& text) {
  Font font(widgets, size);
  ImGui::SetCursorPosX(kTextPadding.x);
  ImGui::PushTextWrapPos(kBoxWidth - kTextPadding.x);
  ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size());
  ImGui::PopTextWrapPos();
}

bool ColouredButton(const std::string& label, ImU32 normal, ImU32 active) {
  ui::StyleScope style;
  style.Colour(ImGuiCol_Button, normal)
      .Colour(ImGuiCol_ButtonHovered, active)
      .Colour(ImGuiCol_ButtonActive, active);
  const bool pressed = ImGui::Button(label.c_str(), ImVec2(kButtonWidth, kButtonHeight));
  if (ImGui::IsItemHovered()) ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
  return pressed;
}

void Content(const MessageBoxInfo& info, ui::Widgets& widgets, const ui::EventQueuer& queuer,
             MessageBoxAnswers& answers) {
  if (!info.visible) {
    // The controller hid the box: it goes in the next frame, and what is
    // still drawn in this one answers nothing.
    ImGui::CloseCurrentPopup();
    queuer.Emit<ui::Events::System::RedrawUiEvent>();
  }

  ui::StyleScope style;
  style.Var(ImGuiStyleVar_ItemSpacing, kItemSpacing)
      .Var(ImGuiStyleVar_FramePadding, kTextPadding)
      .Colour(ImGuiCol_ChildBg, kBackground)
      .Colour(ImGuiCol_Text, kText);
  ui::ChildScope content("##content", ImVec2(kBoxWidth, kBoxHeight),
                         ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);

  ImGui::SetCursorPosY(kTextPadding.y);
  PaddedText(widgets, kHeadingSize, Translate(std::string(info.title)));
  PaddedText(widgets, kMessageSize, Translate(std::string(info.message)));

  Font font(widgets, kButtonTextSize);
  ui::StyleScope buttons;
  buttons.Var(ImGuiStyleVar_FramePadding, ImVec2(0, 0))
      .Var(ImGuiStyleVar_FrameRounding, kButtonRounding);
  const float row_width = kButtonWidth * 2 + kButtonGap;
  const float indent = (ImGui::GetWindowContentRegionMax().x - row_width) * 0.5f;
  ImGui::SetCursorPos(ImVec2(
      indent, ImGui::GetWindowContentRegionMax().y - kButtonRowFromBottom - kButtonRowSlack));
  const bool yes = ColouredButton(Translate(std::string(info.yes)), kYesColour, kYesActiveColour);
  ImGui::SameLine(0, kButtonGap);
  const bool no = ColouredButton(Translate(std::string(info.no)), kNoColour, kNoActiveColour);
  if (info.visible) {
    answers.yes = yes;
    answers.no = no;
  }
}

}  // namespace

MessageBoxAnswers DrawMessageBox(ui::AppContext& context, const MessageBoxInfo& info,
                                 const std::string& id, ui::Widgets& widgets,
                                 ui::WindowState& state) {
  MessageBoxAnswers answers;
  const ui::EventQueuer queuer(context.queue, context.events);
  if (info.visible && !ImGui::IsPopupOpen(id.c_str())) {
    // Never over another box: this one waits until that one is gone.
    ImGui::OpenPopup(id.c_str(), ImGuiPopupFlags_NoOpenOverExistingPopup);
    if (ImGui::IsPopupOpen(id.c_str())) queuer.Emit<ui::Events::System::RedrawUiEvent>();
  }
  widgets.CenterNextWindow(kBoxWidth, kBoxHeight);
  const std::uint32_t result =
      widgets.Window(ui::WindowKind::FramelessModal, kBoxWidth, kBoxHeight, state, id,
                     std::string_view(), [&] { Content(info, widgets, queuer, answers); });
  if (result & ui::kWindowClosed) {
    answers.close = true;
  } else if (info.visible && ImGui::IsPopupOpen(id.c_str()) &&
             ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) {
    // Only a box that is shown answers.
    answers.close = true;
  }
  return answers;
}

}  // namespace kovo::plugin::web::installer
