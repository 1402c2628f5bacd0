// The installer's only window: picture header, own title bar, the page of the
// current stage and the two confirmation boxes on top.
//
// Threads: built and drawn on the GUI thread (Draw under the application
// mutex, once per frame). It only reads PageData and emits events through the
// model's EventQueuer; every reaction happens later on the logic thread.
// Failure: a picture that does not decode leaves its texture empty and that
// picture is simply not drawn.
#pragma once

#include <memory>

#include <kovo-ui-imgui/application/app_context.h>
#include <kovo-ui-imgui/application/view.h>

#include "installer/page_model.h"

namespace kovo::plugin::web::installer {

class InstallerPageViewImpl;

class InstallerPageView : public desktop::ui::imgui::IView {
 public:
  InstallerPageView(desktop::ui::imgui::AppContext& context, PageModel& model);
  ~InstallerPageView() override;
  InstallerPageView(const InstallerPageView&) = delete;
  InstallerPageView& operator=(const InstallerPageView&) = delete;

  void Draw() override;

 private:
  std::unique_ptr<InstallerPageViewImpl> impl_;
};

}  // namespace kovo::plugin::web::installer
