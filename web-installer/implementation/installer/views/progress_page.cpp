#include "installer/views/progress_page.h"

#include <algorithm>
#include <cfloat>

#include "installer/outside_components.h"
#include "installer/page_events.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace {

constexpr float kFullTurn = 6.28318530718f;

struct SlideRow {
  const char* title;
  const char* text;
  const char* path;
  PictureId picture;
};

constexpr SlideRow kSlides[] = {
    {"Скриншоты и запись экрана",
     "Делайте заметки на скриншотах, записывайте экран с голосом и делитесь в пару кликов",
     "/help/plugin/kovo3plugin/kovoscreens", PictureId::Slide4},
    {"Рисуйте в видеозвонке",
     "Укажите ключевые моменты во время презентации, используйте режим рисования",
     "/help/video/call/desktop", PictureId::Slide2},
    {"Электронные документы",
     "Важные документы всегда под рукой, загрузите их в облачное хранилище - КОВО Диск",
     "/help/plugin/kovo3plugin/kovodisk", PictureId::Slide3},
    {"Удаленное управление ПК", "Возможность подключиться к компьютеру удаленно",
     "/help/plugin/kovo3plugin/remote_helper", PictureId::Slide1},
};

// The largest of the faces 19, 17 and 16 in which the text, wrapped at
// `width`, is at most `height` high (16 when none is).
int TextFaceFitting(const PageFrame& frame, const std::string& text, float width, float height) {
  for (const int size : {19, 17, 16}) {
    ImFont* font =
        frame.fonts.Get({desktop::ui::imgui::FontKind::Regular, static_cast<std::uint8_t>(size)});
    if (font &&
        font->CalcTextSizeA(static_cast<float>(size), FLT_MAX, width, text.c_str()).y <= height) {
      return size;
    }
  }
  return 16;
}

}  // namespace

std::vector<ProgressSlide> OrderedSlides() {
  std::vector<ProgressSlide> slides;
  for (const SlideRow& row : kSlides) {
    slides.push_back(
        {Translate(row.title), Translate(row.text), ProductSiteAddress(row.path), row.picture});
  }
  // std::string compares as unsigned bytes, which is the order wanted.
  std::stable_sort(
      slides.begin(), slides.end(),
      [](const ProgressSlide& a, const ProgressSlide& b) { return a.title < b.title; });
  return slides;
}

const char* PhaseTextKey(InstallPhase phase) {
  switch (phase) {
    case InstallPhase::Downloading:
      return "Загрузка дополнительных файлов";
    case InstallPhase::Installing:
      return "Установка КОВО Плагин";
    case InstallPhase::AnalysingLogs:
      return "Анализ логов установки";
  }
  return "";
}

void ProgressPage::Draw(const PageFrame& frame) {
  const float progress = frame.data.progress.load();
  const InstallPhase phase = frame.data.phase.load();
  const std::vector<ProgressSlide> slides = OrderedSlides();
  if (current_ < 0 || current_ >= static_cast<int>(slides.size())) current_ = 0;
  const Face face(frame.fonts, 19);

  // The current slide's picture.
  ImGui::SetCursorPos(ImVec2(48, 200));
  ImGui::PushStyleColor(ImGuiCol_FrameBg, page_colours::kPanel);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
  ImGui::BeginChildFrame(ImGui::GetID("##r"), ImVec2(440, 289),
                         ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
  DrawPicture(frame, slides[current_].picture);
  ImGui::EndChildFrame();
  ImGui::PopStyleVar();
  ImGui::PopStyleColor();

  // The list: the current slide unfolded in its frame, the others by title.
  const ImVec2 window = ImGui::GetWindowPos();
  ImGui::SetCursorPosY(200);
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 22));
  for (int i = 0; i < static_cast<int>(slides.size()); ++i) {
    const ProgressSlide& slide = slides[i];
    if (i != current_) {
      ImGui::SetCursorPosX(513);
      const Face title_face(frame.fonts, 21);
      ImGui::PushStyleColor(ImGuiCol_Text, page_colours::kOtherSlide);
      ImGui::TextUnformatted(slide.title.c_str());
      ImGui::PopStyleColor();
      continue;
    }
    ImGui::SetCursorPosX(500);
    ImGui::PushStyleColor(ImGuiCol_ChildBg, page_colours::kPanel);
    ImGui::PushStyleVar(ImGuiStyleVar_ChildRounding, 10.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(10, 6));
    ImGui::BeginChild("##d", ImVec2(252, 132), false,
                      ImGuiWindowFlags_AlwaysUseWindowPadding | ImGuiWindowFlags_NoScrollbar |
                          ImGuiWindowFlags_NoScrollWithMouse);
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 2));
    {
      const Face title_face(frame.fonts, 21);
      ImGui::TextUnformatted(slide.title.c_str());
    }
    {
      // The text keeps clear of the timer's top (y 98 of the frame) and the
      // link row: a text that needs more lines gets a smaller face.
      constexpr float kTextWidth = 252 - 2 * 10;
      constexpr float kTimerTop = 310 - 12 - 200;
      const float room = kTimerTop - 2 - ImGui::GetCursorPosY();
      const Face text_face(frame.fonts, TextFaceFitting(frame, slide.text, kTextWidth, room));
      WrappedText(slide.text, kTextWidth, page_colours::kSlideText);
    }
    ImGui::SetCursorPos(ImVec2(145, 100));
    Hyperlink(Translate("Подробнее"), slide.address);

    // The timer sits in the frame's lower left corner, so it is drawn on the
    // frame's own draw list, above the frame's background.
    const ImVec2 centre(window.x + 510 + 15, window.y + 310 + 43.0f * static_cast<float>(i));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->PathArcTo(centre, 12.0f, -kFullTurn / 4, -kFullTurn / 4 + angle_, 32);
    draw->PathStroke(page_colours::kAccentBlue, 0, 1.0f);
    ImGui::PopStyleVar();
    ImGui::EndChild();
    ImGui::PopStyleVar(2);
    ImGui::PopStyleColor();
  }
  ImGui::PopStyleVar();

  angle_ += kTimerSpeed * ImGui::GetIO().DeltaTime;
  if (angle_ >= kFullTurn) {
    angle_ = 0.0f;
    current_ = (current_ + 1) % static_cast<int>(slides.size());
  }

  // Progress block.
  ImGui::SetCursorPos(ImVec2(48, 621));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 4));
  ImGui::PushStyleVar(ImGuiStyleVar_FrameRounding, 10.0f);
  ImGui::PushStyleColor(ImGuiCol_FrameBg, page_colours::kPanel);
  ImGui::PushStyleColor(ImGuiCol_PlotHistogram, page_colours::kAccentBlue);
  ImGui::BeginGroup();
  ImGui::TextUnformatted(Translate("Идет установка, пожалуйста, подождите").c_str());
  ImGui::ProgressBar(progress, ImVec2(573, 0), "");
  const std::string phase_text = Translate(PhaseTextKey(phase));
  const float free_width = 573 - ImGui::CalcTextSize(phase_text.c_str()).x;
  ImGui::SetCursorPos(ImVec2(48 + free_width / 2, 650));
  ImGui::TextUnformatted(phase_text.c_str());
  ImGui::EndGroup();
  ImGui::PopStyleColor(2);
  ImGui::PopStyleVar(2);

  if (PillButton(frame, Translate("Отмена"), ImVec2(645, 628), ImVec2(111, 48), kDarkButton,
                 phase != InstallPhase::Downloading)) {
    frame.queuer.Emit<Events::InstallPageView::CancelClickedEvent>();
  }
}

}  // namespace kovo::plugin::web::installer
