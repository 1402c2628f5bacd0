#include "installer/views/installer_page_view.h"

#include <kovo-ui-imgui/graphics/gui_context.h>
#include <kovo-ui-imgui/graphics/image.h>
#include <kovo-ui-imgui/logger/logger.h>

#include "installer/views/result_pages.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace ui = desktop::ui::imgui;

namespace {

constexpr float kWidth = 800;
constexpr float kHeight = 700;
constexpr char kMainWindowId[] = "КОВО Плагин##main";

struct PageSettings {
  const char* heading;  // a text key; empty: no heading
  bool bigHeader;
};

PageSettings SettingsOf(PageStage stage) {
  switch (stage) {
    case PageStage::Options:
      return {"Рекомендуемые модули для работы со КОВО", true};
    case PageStage::Progress:
      return {"Что еще умеет Плагин?", false};
    case PageStage::Success:
    case PageStage::Failure:
      break;
  }
  return {"", true};
}

}  // namespace

InstallerPageView::InstallerPageView(ui::AppContext& context, PageModel& model)
    : context_(&context), model_(&model), widgets_(std::make_unique<ui::Widgets>(context)) {
  main_window_state_.Reset();
  second_window_state_.Reset();
  // The boxes keep their MessageBoxInfo, a field of the model's lasting state.
  PageData& data = *model.Access();
  close_box_ =
      std::make_unique<CloseBoxView>(context, data.closeBox, "Подтверждение завершения##exit_msg");
  cancel_box_ =
      std::make_unique<CancelBoxView>(context, data.cancelBox, "Подтверждение отмены##cancel_msg");

  ui::GraphicsDevice& device = context.gui.GetGraphicsDevice();
  for (int i = 0; i < kPictureCount; ++i) {
    const PictureBytes bytes = GetPicture(static_cast<PictureId>(i));
    PagePicture& picture = pictures_[static_cast<std::size_t>(i)];
    picture.size = ImVec2(static_cast<float>(bytes.width), static_cast<float>(bytes.height));
    if (bytes.data) picture.texture = ui::CreateTextureFromImage(device, bytes.data, bytes.size);
    if (!picture.texture) LOG_ERROR("The built-in picture " << i << " does not decode");
  }
}

InstallerPageView::~InstallerPageView() = default;

void InstallerPageView::Draw() {
  widgets_->CenterNextWindow(kWidth, kHeight);
  const std::uint32_t result =
      widgets_->Window(ui::WindowKind::Frameless, kWidth, kHeight, main_window_state_,
                       kMainWindowId, Translate("КОВО Плагин"), [this] { DrawContent(); });
  if (result & ui::kWindowClosed) {
    model_->Queuer().Emit<Events::InstallPageView::CloseButtonClickedEvent>();
  }
}

void InstallerPageView::DrawContent() {
  const PageData& data = model_->Data();
  const PageStage stage = data.stage.load();
  const PageFrame frame{data, model_->Queuer(), widgets_->Fonts(), pictures_,
                        context_->gui.GetWindow().GetHandle()};

  ImGui::PushStyleColor(ImGuiCol_ChildBg, page_colours::kPage);
  ImGui::PushStyleColor(ImGuiCol_Text, page_colours::kText);
  ImGui::BeginChild("WebInstaller", ImVec2(0, 0), false,
                    ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  DrawTitleBar(stage);

  const PageSettings settings = SettingsOf(stage);
  if (settings.heading[0] != '\0') {
    ImGui::SetCursorPos(ImVec2(48, 96));
    // A heading that does not fit the window in the large face gets a smaller one.
    const std::string heading = Translate(settings.heading);
    const Face face(frame.fonts, FittingFace(frame.fonts, heading, 37, kWidth - 48 - 16));
    ImGui::TextUnformatted(heading.c_str());
  }

  switch (stage) {
    case PageStage::Options:
      options_.Draw(frame);
      break;
    case PageStage::Progress:
      progress_.Draw(frame);
      break;
    case PageStage::Success:
      DrawSuccessPage(frame);
      break;
    case PageStage::Failure:
      DrawFailurePage(frame);
      break;
  }

  close_box_->Draw();
  cancel_box_->Draw();
  ImGui::EndChild();
  ImGui::PopStyleColor(2);
}

void InstallerPageView::DrawTitleBar(PageStage stage) {
  const bool english = CurrentLanguage() == kLanguageEnglish;
  const PageFrame frame{model_->Data(), model_->Queuer(), widgets_->Fonts(), pictures_,
                        context_->gui.GetWindow().GetHandle()};
  ImGui::SetCursorPos(ImVec2(0, 0));
  if (SettingsOf(stage).bigHeader) {
    DrawPicture(frame, english ? PictureId::HeaderEn : PictureId::HeaderRu);
  } else {
    DrawPicture(frame, english ? PictureId::LogoEn : PictureId::LogoRu);
  }

  ImGui::PushStyleColor(ImGuiCol_ChildBg, IM_COL32(0, 0, 0, 0));
  ImGui::SetCursorPos(ImVec2(0, 0));
  ImGui::BeginChild("Title", ImVec2(kWidth, 90), false,
                    ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  ImGui::BeginGroup();
  ImGui::SetCursorPos(ImVec2(685, 40));
  widgets_->PushFont(ui::FontKind::Icons, ui::kTitlebarIconSize);
  if (widgets_->TitlebarButton(ui::kGlyphMinimize)) widgets_->Minimize();
  ImGui::SameLine(0, 0);
  if (widgets_->TitlebarButton(ui::kGlyphClose)) {
    model_->Queuer().Emit<Events::InstallPageView::CloseButtonClickedEvent>();
  }
  widgets_->PopFont();
  ImGui::EndGroup();
  ImGui::EndChild();
  ImGui::PopStyleColor();
}

}  // namespace kovo::plugin::web::installer
