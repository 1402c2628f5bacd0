// The modal yes/no confirmation drawn over the installer page.
//
// The box never changes the page state: it emits Yes, No or Close through
// the EventQueuer, and the page controller shows and hides it by setting
// `visible` of its MessageBoxInfo. The box opens in the frame `visible` is
// first seen and closes in the frame after it was cleared.
//
// Threads: built anywhere; Draw runs on the GUI thread inside a frame, from
// the page view's content drawing (inside its window).
#pragma once

#include <kovo-ui-imgui/application/app_context.h>
#include <kovo-ui-imgui/application/view.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/widgets/widgets.h>

#include <string>
#include <string_view>

#include "installer/page_data.h"

namespace kovo::plugin::web::installer {

// What the user did with the box in one frame.
struct MessageBoxAnswers {
  bool yes = false;
  bool no = false;
  bool close = false;  // Escape, or the platform closed the popup
};

// Draws one frame of a box (everything but the typed events). Emits
// RedrawUiEvent itself when the box opens or closes.
MessageBoxAnswers DrawMessageBox(desktop::ui::imgui::AppContext& context,
                                 const MessageBoxInfo& info, const std::string& id,
                                 desktop::ui::imgui::Widgets& widgets,
                                 desktop::ui::imgui::WindowState& state);

template <typename Yes, typename No, typename Close>
class MessageBoxView : public desktop::ui::imgui::IView {
 public:
  MessageBoxView(desktop::ui::imgui::AppContext& context, MessageBoxInfo& info, std::string_view id)
      : context_(&context), info_(&info), id_(id), widgets_(context) {}

  void Draw() override {
    const MessageBoxAnswers answers = DrawMessageBox(*context_, *info_, id_, widgets_, state_);
    const desktop::ui::imgui::EventQueuer queuer(context_->queue, context_->events);
    if (answers.yes) queuer.Emit<Yes>();
    if (answers.no) queuer.Emit<No>();
    if (answers.close) queuer.Emit<Close>();
  }

 private:
  desktop::ui::imgui::AppContext* context_;
  MessageBoxInfo* info_;
  std::string id_;
  desktop::ui::imgui::Widgets widgets_;
  desktop::ui::imgui::WindowState state_;
  std::string text_;  // reserved for the window's text
};

}  // namespace kovo::plugin::web::installer
