#include "installer/views/result_pages.h"

#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>

#include "installer/error_catalogue.h"
#include "installer/outside_components.h"
#include "installer/page_events.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace {

namespace Ev = Events::InstallPageView;

constexpr char kInstructionLink[] = "Инструкция для устранения проблемы";
constexpr ImGuiID kErrorPanelId = 1001;

bool English() { return CurrentLanguage() == kLanguageEnglish; }

void Gap(float height) { ImGui::Dummy(ImVec2(0, height)); }

}  // namespace

std::vector<std::pair<std::string, std::string>> UsefulLinks() {
  return {
      {"Уведомление о новых событиях", ProductSiteAddress("/help/plugin/kovo3plugin/set")},
      {"Редактирование скриншотов", ProductSiteAddress("/help/plugin/kovo3plugin/kovoscreens")},
      {"КОВО Диск", ProductSiteAddress("/help/plugin/kovo3plugin/kovodisk")},
      {"Работа с электронной подписью", ProductSiteAddress("/help/ep/workplace")},
      {"Настройка отложенного подписания",
       ProductSiteAddress("/help/another/delegate/transfer_of_rights")},
      {"Получение удаленного доступа",
       ProductSiteAddress("/help/plugin/kovo3plugin/remote_helper")},
  };
}

void DrawSuccessPage(const PageFrame& frame) {
  const PageData& data = frame.data;
  {
    const Face face(frame.fonts, 37);
    ImGui::SetCursorPos(ImVec2(48, 137));
    if (data.willInstall) {
      ImGui::TextUnformatted(Translate("Плагин успешно установлен,\nприятной работы").c_str());
    } else {
      ImGui::TextUnformatted(Translate("Актуальная версия").c_str());
      ImGui::SameLine(0, 5);
      ImGui::TextUnformatted(data.installedVersion.c_str());
      ImGui::SetCursorPosX(48);
      ImGui::TextUnformatted(Translate("уже установлена").c_str());
    }
  }

  // The picture leads to the video.
  ImGui::SetCursorPos(ImVec2(48, 250));
  ImGui::PushStyleColor(ImGuiCol_FrameBg, page_colours::kPanel);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
  ImGui::BeginChildFrame(ImGui::GetID("##r"), ImVec2(400, 220),
                         ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  ImGui::PushStyleColor(ImGuiCol_Button, page_colours::kPanel);
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, page_colours::kPanel);
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, page_colours::kPanel);
  const PictureId picture_id = English() ? PictureId::SuccessEn : PictureId::SuccessRu;
  const PagePicture& picture = frame.pictures[static_cast<std::size_t>(picture_id)];
  bool video = false;
  if (picture.texture && picture.texture->GetHandle()) {
    video =
        ImGui::ImageButton(picture.texture->GetHandle(), picture.size, ImVec2(0, 0), ImVec2(1, 1),
                           0, ImGui::ColorConvertU32ToFloat4(page_colours::kPanel));
  } else {
    video = ImGui::Button("##video", picture.size);
  }
  if (ImGui::IsItemHovered()) ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
  ImGui::PopStyleColor(3);
  ImGui::EndChildFrame();
  ImGui::PopStyleVar();
  ImGui::PopStyleColor();
  if (video) frame.queuer.Emit<Ev::OpenVideoEvent>();

  ImGui::SetCursorPos(ImVec2(460, 250));
  ImGui::PushStyleColor(ImGuiCol_FrameBg, page_colours::kPage);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
  ImGui::BeginChildFrame(ImGui::GetID("##d"), ImVec2(320, 180),
                         ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  {
    const Face face(frame.fonts, 25);
    ImGui::TextUnformatted(Translate("Полезные ссылки").c_str());
  }
  {
    // One face for all six, the largest in which the longest fits the frame.
    const auto links = UsefulLinks();
    const float text_width = 320 - ImGui::GetTreeNodeToLabelSpacing() - 4;
    int size = 21;
    for (const auto& link : links) {
      size = std::min(size, FittingFace(frame.fonts, Translate(link.first), 21, text_width));
    }
    const Face face(frame.fonts, size);
    for (const auto& link : links) {
      ImGui::PushStyleColor(ImGuiCol_Text, page_colours::kAccentBlue);
      ImGui::Bullet();
      ImGui::PopStyleColor();
      ImGui::SameLine();
      Hyperlink(Translate(link.first), link.second);
    }
  }
  ImGui::EndChildFrame();
  ImGui::PopStyleVar();
  ImGui::PopStyleColor();

  const bool both_run = data.serviceRunning && data.pluginRunning;
  if (data.willInstall) {
    if (PillButton(frame, Translate("Мастер диагностики"), ImVec2(380, 628), ImVec2(220, 48),
                   kOrangeButton)) {
      frame.queuer.Emit<Ev::OpenDiagnosticEvent>();
    }
  } else if (PillButton(frame, Translate("Переустановить"), ImVec2(both_run ? 420 : 375, 628),
                        ImVec2(180, 48), kOrangeButton)) {
    frame.queuer.Emit<Ev::InstallNewConfigEvent>();
  }
  if (data.willInstall || both_run) {
    if (PillButton(frame, Translate("Завершить"), ImVec2(615, 628), ImVec2(130, 48), kDarkButton)) {
      frame.queuer.Emit<Ev::CloseButtonClickedEvent>();
    }
  } else if (PillButton(frame, Translate("Запустить плагин"), ImVec2(565, 628), ImVec2(200, 48),
                        kDarkButton, data.runRequested)) {
    frame.queuer.Emit<Ev::RunPluginEvent>();
  }
}

namespace {

constexpr float kPanelWidth = 580;
const ImVec2 kPanelPadding(10, 5);
constexpr float kPanelIndent = 20;
constexpr float kPanelSpacing = 2;
// From the indent to the panel's right padding.
constexpr float kPanelTextWidth = kPanelWidth - kPanelIndent - 2 * 10;
constexpr float kSupportWidth = kPanelWidth - 2 * 10;
const ImVec2 kSupportPadding(8, 4);

// What the failure panel shows below the error's title.
struct FailureTexts {
  std::string title;
  std::string details;
  // Exactly one of these three, or none.
  std::string instruction;  // the "instruction" link's text
  std::string adviceLink;   // advice that links to the help page
  std::string advice;       // advice as plain text
  std::string helpLink;
  std::vector<TextRun> support;
};

FailureTexts TextsOf(ErrorKind kind, const ErrorInfo& info) {
  FailureTexts texts;
  texts.title = Translate(info.title);
  texts.details = Translate(info.details);
  texts.helpLink = info.helpLink;
  if (kind == kUnsupportedWindows) {
    texts.instruction = Translate(kInstructionLink);
  } else if (!info.helpLink.empty() && info.advice.empty()) {
    texts.instruction = Translate(kInstructionLink);
  } else if (!info.helpLink.empty()) {
    texts.adviceLink = Translate(info.advice);
  } else {
    texts.advice = Translate(info.advice);
  }
  texts.support = {{Translate("Если проблема осталась, обратитесь в службу "), ""},
                   {Translate("технической поддержки"), ProductSiteSupportAddress()},
                   {" " + Translate("и специалисты помогут решить проблему"), ""}};
  return texts;
}

float WrappedHeight(const PageFrame& frame, int size, const std::string& text, float width) {
  ImFont* font =
      frame.fonts.Get({desktop::ui::imgui::FontKind::Regular, static_cast<std::uint8_t>(size)});
  return font->CalcTextSizeA(static_cast<float>(size), FLT_MAX, width, text.c_str()).y;
}

float SupportFrameHeight(const PageFrame& frame, const FailureTexts& texts) {
  const Face face(frame.fonts, 21);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, kPanelSpacing));
  const float text = FlowTextHeight(texts.support, kSupportWidth - 2 * kSupportPadding.x);
  ImGui::PopStyleVar();
  return std::max(60.0f, text + 2 * kSupportPadding.y);
}

// The panel's content, item by item as DrawFailurePage adds them.
float PanelContentHeight(const PageFrame& frame, const FailureTexts& texts, float support) {
  const auto item = [](float height) { return height + kPanelSpacing; };
  float height = item(WrappedHeight(frame, 25, texts.title, kPanelTextWidth)) + item(3);
  if (!texts.details.empty()) {
    height += item(WrappedHeight(frame, 21, texts.details, kPanelTextWidth)) + item(3);
  }
  if (!texts.instruction.empty()) {
    height += item(21);
  } else if (!texts.adviceLink.empty()) {
    const Face face(frame.fonts, 21);
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, kPanelSpacing));
    height += item(FlowTextHeight({{texts.adviceLink, texts.helpLink}}, kPanelTextWidth));
    ImGui::PopStyleVar();
  } else if (!texts.advice.empty()) {
    height += item(WrappedHeight(frame, 21, texts.advice, kPanelTextWidth));
  }
  return height + item(3) + support;
}

}  // namespace

void DrawFailurePage(const PageFrame& frame) {
  const PageData& data = frame.data;
  const ErrorKind kind = data.errorKind.load();
  const ErrorInfo& info = FindErrorInfo(kind);
  const FailureTexts texts = TextsOf(kind, info);
  {
    const Face face(frame.fonts, 37);
    ImGui::SetCursorPos(ImVec2(48, 137));
    ImGui::TextUnformatted(data.runRequested
                               ? Translate("Произошла ошибка").c_str()
                               : Translate("Установка завершилась с ошибкой").c_str());
  }

  const Face panel_face(frame.fonts, 25);
  // The panel is 135 or 190 high; texts that need more (long translations, a
  // wide fallback font) make it taller rather than being cut off.
  const float support_height = SupportFrameHeight(frame, texts);
  const float needed = PanelContentHeight(frame, texts, support_height) + 2 * kPanelPadding.y;
  const float panel_height = std::max(info.details.empty() ? 135.0f : 190.0f, needed);
  ImGui::SetCursorPos(ImVec2(168, 292));
  ImGui::PushStyleColor(ImGuiCol_ChildBg, page_colours::kPanel);
  ImGui::PushStyleVar(ImGuiStyleVar_ChildRounding, 10.0f);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, kPanelPadding);
  ImGui::BeginChild(kErrorPanelId, ImVec2(kPanelWidth, panel_height), false,
                    ImGuiWindowFlags_AlwaysUseWindowPadding | ImGuiWindowFlags_NoScrollbar |
                        ImGuiWindowFlags_NoScrollWithMouse);
  ImGui::Indent(kPanelIndent);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, kPanelSpacing));
  ImGui::BeginGroup();
  WrappedText(texts.title, kPanelTextWidth);
  Gap(3);
  {
    const Face face(frame.fonts, 21);
    if (!texts.details.empty()) {
      WrappedText(texts.details, kPanelTextWidth);
      Gap(3);
    }
    if (!texts.instruction.empty()) {
      Hyperlink(texts.instruction, texts.helpLink);
    } else if (!texts.adviceLink.empty()) {
      FlowText({{texts.adviceLink, texts.helpLink}}, kPanelTextWidth);
    } else if (!texts.advice.empty()) {
      WrappedText(texts.advice, kPanelTextWidth);
    }
    Gap(3);
    // The support sentence spans the panel's content width.
    ImGui::Unindent(kPanelIndent);
    ImGui::PushStyleColor(ImGuiCol_FrameBg, page_colours::kPage);
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, kSupportPadding);
    ImGui::BeginChildFrame(ImGui::GetID("##r"), ImVec2(kSupportWidth, support_height),
                           ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
    FlowText(texts.support, kSupportWidth - 2 * kSupportPadding.x);
    ImGui::EndChildFrame();
    ImGui::PopStyleVar();
    ImGui::PopStyleColor();
    ImGui::Indent(kPanelIndent);
  }
  ImGui::EndGroup();
  ImGui::PopStyleVar();
  ImGui::Unindent(kPanelIndent);
  ImGui::EndChild();
  ImGui::PopStyleVar(2);
  ImGui::PopStyleColor();

  ImGui::SetCursorPos(ImVec2(48, 286));
  DrawPicture(frame, PictureId::SupportOperator);

  if (PillButton(frame, Translate("Справочный портал"), ImVec2(400, 628), ImVec2(214, 48),
                 kOrangeButton)) {
    frame.queuer.Emit<Ev::OpenHelpEvent>();
  }
  if (PillButton(frame, Translate("Завершить"), ImVec2(624, 628), ImVec2(130, 48), kDarkButton)) {
    frame.queuer.Emit<Ev::CloseButtonClickedEvent>();
  }
}

}  // namespace kovo::plugin::web::installer
