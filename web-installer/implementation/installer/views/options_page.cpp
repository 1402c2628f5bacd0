#include "installer/views/options_page.h"

#include <imgui_internal.h>

#include <algorithm>

#include "installer/component_catalogue.h"
#include "installer/error_catalogue.h"
#include "installer/outside_components.h"
#include "installer/page_events.h"
#include "installer/views/page_os_calls.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace {

namespace Ev = Events::InstallPageView;

constexpr char kRecommendedGroup[] = "Recommended";

struct InstallTypeRow {
  InstallTypes type;
  const char* label;
  const char* description;
};

constexpr InstallTypeRow kInstallTypeRows[] = {
    {InstallTypes::Recommended, "Рекомендуемая", "Содержит только основные модули."},
    {InstallTypes::Full, "Полная", "Включает полный комплект модулей приложения."},
    {InstallTypes::Min, "Минимальная", "Предназначен только для сдачи отчетности."},
    {InstallTypes::Custom, "Пользовательская",
     "Позволяет отметить модули, с помощью которых хотите расширить пакет основных."},
};

constexpr float kTypeIndent = 48;
constexpr float kTreeIndent = 78;
constexpr float kComponentIndent = 118;
// Room the child region's scroll bar takes at its right edge.
constexpr float kScrollbarRoom = 24;

void SetIndent(float x) {
  ImGuiWindow* window = ImGui::GetCurrentWindow();
  window->DC.Indent.x = x;
  window->DC.CursorPos.x = window->Pos.x + x;
}

bool RadioChoice(const std::string& label, bool active) {
  return ImGui::RadioButton(label.c_str(), active);
}

}  // namespace

void OptionsPage::Draw(const PageFrame& frame) {
  const PageData& data = frame.data;
  if (!choices_) {
    Choices choices;
    choices.folder = data.installPath;
    choices.installType = data.installType;
    choices.components = data.components;
    choices.autoRun = data.autoRun;
    choices.autoRunType = data.autoRunType;
    choices.desktopShortcut = data.desktopShortcut;
    choices.settingsOpen = data.reinstall;
    choices_ = std::move(choices);
    expanded_.clear();
    for (const auto& group : ComponentGroups()) {
      expanded_[group.first] = group.first == kRecommendedGroup;
    }
  }

  DrawFeatures(frame);
  if (data.willInstall) DrawCustomise(frame);
  DrawFolderRow(frame);
  DrawLicenceAndLanguage(frame);
  DrawStartButton(frame);
}

void OptionsPage::DrawFeatures(const PageFrame& frame) {
  const Face face(frame.fonts, 21);
  const char* const features[] = {
      "Работа с криптографией",
      "Уведомление о новых событиях",
      "Работа с вложенными документами: редактирование, загрузка и т.д.",
  };
  float y = 186;
  for (const char* feature : features) {
    ImGui::SetCursorPos(ImVec2(63, y));
    BulletLine(Translate(feature));
    y += 25;
  }
}

void OptionsPage::DrawCustomise(const PageFrame& frame) {
  Choices& choices = *choices_;
  const Face face(frame.fonts, 19);
  ImGui::SetCursorPos(ImVec2(48, 270));
  ImGui::TextUnformatted(Translate("Настройте самостоятельно").c_str());
  ImGui::SameLine(0, 10);
  ArrowToggle("##cb_arrow", &choices.settingsOpen);
  if (!choices.settingsOpen) return;

  ImGui::SetCursorPos(ImVec2(0, 304));
  ImGui::PushStyleColor(ImGuiCol_ChildBg, page_colours::kPanel);
  ImGui::PushStyleColor(ImGuiCol_ScrollbarBg, page_colours::kPanel);
  ImGui::PushStyleColor(ImGuiCol_ScrollbarGrab, page_colours::kScrollGrab);
  ImGui::PushStyleColor(ImGuiCol_ScrollbarGrabHovered, page_colours::kScrollGrab);
  ImGui::PushStyleColor(ImGuiCol_ScrollbarGrabActive, page_colours::kScrollGrab);
  ImGui::PushStyleVar(ImGuiStyleVar_ScrollbarRounding, 18.0f);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 2));
  ImGui::BeginChild("ChildL", ImVec2(0, 276), false);
  const float right = ImGui::GetWindowWidth() - kScrollbarRoom;
  SetIndent(kTypeIndent);
  ImGui::Dummy(ImVec2(0, 6));

  const float label_offset = ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x;
  for (const InstallTypeRow& row : kInstallTypeRows) {
    if (RadioChoice(Translate(row.label), choices.installType == row.type)) {
      choices.installType = row.type;
    }
    // The description lines up with the radio button's label.
    SetIndent(kTypeIndent + label_offset);
    WrappedText(Translate(row.description), right - kTypeIndent - label_offset,
                page_colours::kSlideText);
    SetIndent(kTypeIndent);
    ImGui::Dummy(ImVec2(0, 4));
    if (row.type == InstallTypes::Custom && choices.installType == InstallTypes::Custom) {
      DrawComponentTree();
    }
  }

  ImGui::Dummy(ImVec2(0, 8));
  ImGui::Checkbox(Translate("Автоматически запускать при старте системы").c_str(),
                  &choices.autoRun);
  if (choices.autoRun) {
    SetIndent(kTreeIndent);
    if (RadioChoice(Translate("Для текущего пользователя"),
                    choices.autoRunType == AutoRunTypes::CurrentUser)) {
      choices.autoRunType = AutoRunTypes::CurrentUser;
    }
    if (RadioChoice(Translate("Для всех"), choices.autoRunType == AutoRunTypes::AllUsers)) {
      choices.autoRunType = AutoRunTypes::AllUsers;
    }
    SetIndent(kTypeIndent);
  }
  ImGui::Checkbox(Translate(DesktopShortcutTextKey()).c_str(), &choices.desktopShortcut);
  ImGui::Dummy(ImVec2(0, 6));
  ImGui::EndChild();
  ImGui::PopStyleVar(2);
  ImGui::PopStyleColor(5);
}

void OptionsPage::DrawComponentTree() {
  Choices& choices = *choices_;
  ComponentCheckTable& checks = ComponentChecks();
  const auto& members = GroupComponents();
  int position = 0;
  for (const auto& group : ComponentGroups()) {
    SetIndent(kTreeIndent);
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(GroupLabel(group.first).c_str());
    ImGui::SameLine(0, 6);
    const std::string arrow_id = "##" + std::to_string(position++) + "_arrow";
    bool& open = expanded_[group.first];
    ArrowToggle(arrow_id.c_str(), &open);
    if (!open) continue;
    const auto found = members.find(group.first);
    if (found == members.end()) continue;
    SetIndent(kComponentIndent);
    for (const std::string& identifier : found->second) {
      const std::string label = ComponentLabel(identifier) + "##" + identifier;
      ImGui::Checkbox(label.c_str(), &checks[identifier]);
    }
  }
  SetIndent(kTypeIndent);
  ImGui::Dummy(ImVec2(0, 4));
  choices.components = ComponentsFromChecks(checks);
}

void OptionsPage::DrawFolderRow(const PageFrame& frame) {
  Choices& choices = *choices_;
  const PageData& data = frame.data;
  const bool space_short = data.errorKind.load() == kNotEnoughSpace;
  const Face face(frame.fonts, 19);

  ImVec2 path_row(80, 618);
  float path_width = 520;
  if (data.installed) {
    ImGui::SetCursorPos(ImVec2(48, 585));
    ImGui::TextUnformatted(Translate("КОВО Плагин версии:").c_str());
    ImGui::SameLine(0, 5);
    ImGui::TextUnformatted(data.installedVersion.c_str());
    ImGui::SameLine(0, 5);
    ImGui::TextUnformatted(Translate("уже установлен").c_str());
    path_row = ImVec2(48, 618);
    path_width = 562;
  } else {
    if (space_short) {
      ImGui::SetCursorPos(ImVec2(51, 588));
      DrawPicture(frame, PictureId::WarningIcon);
      ImGui::SetCursorPos(ImVec2(80, 585));
      ImGui::TextUnformatted(
          Translate("На диске недостаточно свободного места. Не хватает").c_str());
      ImGui::SameLine(0, 5);
      ImGui::TextUnformatted(std::to_string(data.missingSpaceMb).c_str());
      ImGui::SameLine(0, 5);
      ImGui::TextUnformatted(Translate("Мб").c_str());
    }
    ImGui::SetCursorPos(ImVec2(48, 620));
    const PagePicture& folder = frame.pictures[static_cast<std::size_t>(PictureId::FolderIcon)];
    ImGui::PushStyleColor(ImGuiCol_Button, page_colours::kPage);
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered, page_colours::kPanelHover);
    ImGui::PushStyleColor(ImGuiCol_ButtonActive, page_colours::kPanel);
    bool pressed = false;
    if (folder.texture && folder.texture->GetHandle()) {
      pressed =
          ImGui::ImageButton(folder.texture->GetHandle(), folder.size, ImVec2(0, 0), ImVec2(1, 1),
                             4, ImGui::ColorConvertU32ToFloat4(page_colours::kPage));
    } else {
      ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4, 4));
      pressed = ImGui::Button("##folder", ImVec2(folder.size.x + 8, folder.size.y + 8));
      ImGui::PopStyleVar();
    }
    ImGui::PopStyleColor(3);
    if (pressed) {
      std::string picked = choices.folder;
      const PageOsCalls& calls = CurrentPageOsCalls();
      if (calls.pickFolder && calls.pickFolder(picked, frame.window)) choices.folder = picked;
      frame.queuer.Emit<Ev::ChoicePathEvent>(choices.folder);
    }
  }

  ImGui::SetCursorPos(path_row);
  ImGui::PushStyleColor(ImGuiCol_FrameBg, page_colours::kPage);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
  ImGui::BeginChildFrame(ImGui::GetID("##path"), ImVec2(path_width, 23),
                         ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  ImGui::TextUnformatted(choices.folder.c_str());
  ImGui::EndChildFrame();
  ImGui::PopStyleVar();
  ImGui::PopStyleColor();
  const ImVec2 min = ImGui::GetItemRectMin();
  const ImVec2 max = ImGui::GetItemRectMax();
  ImGui::GetWindowDrawList()->AddLine(
      ImVec2(min.x, max.y), ImVec2(max.x, max.y),
      space_short ? page_colours::kWarning : page_colours::kAccentBlue, 1.0f);
}

void OptionsPage::DrawLicenceAndLanguage(const PageFrame& frame) {
  const PageData& data = frame.data;
  if (data.errorKind.load() != kNotEnoughSpace) {
    const std::string prefix = data.installed
                                   ? Translate("Нажимая \"Обновить\", Вы соглашаетесь с ")
                                   : Translate("Нажимая \"Установить\", Вы соглашаетесь с ");
    const std::string link = Translate("лицензионным соглашением");
    // One line at the window's bottom. A line too long for its place starts
    // further left, up to the language switch, and only then gets a smaller
    // face, rather than wrapping below the window's edge.
    constexpr float kLicenceX = 278;
    constexpr float kLeftmostX = 120;
    constexpr float kRight = 800 - 8;
    const int size = FittingFace(frame.fonts, prefix + link, 19, kRight - kLeftmostX);
    const Face face(frame.fonts, size);
    const float width = ImGui::CalcTextSize((prefix + link).c_str()).x;
    const float x = std::max(kLeftmostX, std::min(kLicenceX, kRight - width));
    ImGui::SetCursorPos(ImVec2(x, 660));
    FlowText({{prefix, "", ImGui::GetColorU32(ImGuiCol_TextDisabled)},
              {link, ProductSiteAddress(kProductSiteLicencePath)}},
             kRight - x);
  }

  const Face face(frame.fonts, 17);
  ImGui::SetCursorPos(ImVec2(44, 660));
  const ImU32 transparent = IM_COL32(0, 0, 0, 0);
  ImGui::PushStyleColor(ImGuiCol_Button, transparent);
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, transparent);
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, transparent);
  const int language = CurrentLanguage();
  const struct {
    const char* label;
    int language;
  } switches[] = {{"RU", kLanguageRussian}, {"EN", kLanguageEnglish}};
  bool first = true;
  for (const auto& option : switches) {
    if (!first) ImGui::SameLine(0, 0);
    first = false;
    const bool other = option.language != language;
    if (other) ImGui::PushStyleColor(ImGuiCol_Text, page_colours::kOtherLanguage);
    if (ImGui::Button(option.label)) SetLanguage(option.language);
    if (ImGui::IsItemHovered()) ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
    if (other) ImGui::PopStyleColor();
  }
  ImGui::PopStyleColor(3);
}

void OptionsPage::DrawStartButton(const PageFrame& frame) {
  const PageData& data = frame.data;
  if (data.errorKind.load() == kNotEnoughSpace) return;
  const bool update = data.installed;
  const std::string label = Translate(update ? "Обновить" : "Установить");
  const ImVec2 position = update ? ImVec2(622, 604) : ImVec2(612, 604);
  const ImVec2 size = update ? ImVec2(130, 48) : ImVec2(140, 48);
  if (PillButton(frame, label, position, size, kOrangeButton)) {
    const Choices& choices = *choices_;
    frame.queuer.Emit<Events::InstallPageView::StartClickedEvent>(
        choices.folder, choices.installType, choices.components, choices.autoRun,
        choices.autoRunType, choices.desktopShortcut);
  }
}

}  // namespace kovo::plugin::web::installer
