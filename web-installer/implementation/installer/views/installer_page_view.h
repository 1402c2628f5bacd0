// The installer's only window: picture header, own title bar, the page of the
// current stage and the two confirmation boxes on top.
//
// Threads: built on the logic thread (inside the page controller's
// constructor) or any thread that may create textures of the GUI context's
// device; Draw runs on the GUI thread under the application mutex, once per
// frame. Draw only reads PageData and emits events through the model's
// EventQueuer; every reaction happens later on the logic thread.
// Failure: a picture that does not decode is logged and left undrawn (its
// room stays empty).
#pragma once

#include <kovo-ui-imgui/application/app_context.h>
#include <kovo-ui-imgui/application/view.h>
#include <kovo-ui-imgui/widgets/widgets.h>

#include <memory>

#include "installer/page_events.h"
#include "installer/page_model.h"
#include "installer/views/message_box_view.h"
#include "installer/views/options_page.h"
#include "installer/views/page_drawing.h"
#include "installer/views/progress_page.h"

namespace kovo::plugin::web::installer {

class InstallerPageView : public desktop::ui::imgui::IView {
 public:
  InstallerPageView(desktop::ui::imgui::AppContext& context, PageModel& model);
  ~InstallerPageView() override;
  InstallerPageView(const InstallerPageView&) = delete;
  InstallerPageView& operator=(const InstallerPageView&) = delete;

  void Draw() override;

  // For tests: the pages' kept state.
  const OptionsPage& Options() const { return options_; }
  const ProgressPage& Progress() const { return progress_; }
  const PagePictures& Pictures() const { return pictures_; }

 private:
  using CloseBoxView = MessageBoxView<Events::InstallPageView::CloseDecision<true>,
                                      Events::InstallPageView::CloseDecision<false>,
                                      Events::InstallPageView::CloseDecision<false>>;
  using CancelBoxView = MessageBoxView<Events::InstallPageView::CancelDecision<true>,
                                       Events::InstallPageView::CancelDecision<false>,
                                       Events::InstallPageView::CancelDecision<false>>;

  void DrawContent();
  void DrawTitleBar(PageStage stage);

  desktop::ui::imgui::AppContext* context_;
  PageModel* model_;
  std::unique_ptr<desktop::ui::imgui::Widgets> widgets_;
  desktop::ui::imgui::WindowState main_window_state_;
  desktop::ui::imgui::WindowState second_window_state_;
  std::unique_ptr<CloseBoxView> close_box_;
  std::unique_ptr<CancelBoxView> cancel_box_;
  PagePictures pictures_;
  OptionsPage options_;
  ProgressPage progress_;
};

}  // namespace kovo::plugin::web::installer
