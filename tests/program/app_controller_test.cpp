// The root controller's slots, its initialisation on the logic thread and the
// quit forwarding, with a counting stand-in for the page controller.
#include "app_controller/app_controller.h"

#include <gtest/gtest.h>

#include <memory>

#include "installer/page_events.h"
#include "kovo-ui-imgui/events/system_events.h"
#include "kovo-ui-imgui/headless/null_gui_context.h"

namespace kovo::plugin::web::installer {

struct AppControllerTestAccess {
  static void Close(AppController& controller) { controller.CloseApplication(); }
  static void InitAgain(AppController& controller) { controller.InitInstallerPage(); }
};

namespace {

namespace ui = desktop::ui::imgui;

struct PageCounts {
  int built = 0;
  int updates = 0;
  int draws = 0;
  int destroyed = 0;
  bool updateResult = true;
  const ui::AppContext* context = nullptr;
};

class CountingPage final : public ui::IController {
 public:
  CountingPage(PageCounts& counts, ui::AppContext& context) : counts_(counts) {
    ++counts_.built;
    counts_.context = &context;
  }
  ~CountingPage() override { ++counts_.destroyed; }
  bool Update() override {
    ++counts_.updates;
    return counts_.updateResult;
  }
  void Draw() override { ++counts_.draws; }

 private:
  PageCounts& counts_;
};

class AppControllerTest : public ::testing::Test {
 protected:
  std::unique_ptr<AppController> Make() {
    return std::make_unique<AppController>(
        events_, queue_, gui_, [this](ui::AppContext& context) -> AppController::ControllerSlot {
          return std::make_unique<CountingPage>(counts_, context);
        });
  }
  // What the logic thread does first on each step.
  void RunQueued() {
    for (auto& closure : queue_.TakeAll()) closure();
  }

  ui::NullGuiContext gui_;
  ui::EventSystem events_;
  ui::SafeQueue queue_;
  PageCounts counts_;
};

TEST_F(AppControllerTest, PageControllerIsBuiltOnlyByTheQueuedClosure) {
  auto controller = Make();
  EXPECT_EQ(counts_.built, 0);
  EXPECT_FALSE(queue_.Empty());
  EXPECT_FALSE(controller->Update());
  controller->Draw();
  EXPECT_EQ(counts_.updates + counts_.draws, 0);

  RunQueued();
  ASSERT_EQ(counts_.built, 1);
  ASSERT_NE(counts_.context, nullptr);
  EXPECT_EQ(&counts_.context->events, &events_);
  EXPECT_EQ(&counts_.context->queue, &queue_);
  EXPECT_EQ(&counts_.context->gui, static_cast<ui::GUIContext*>(&gui_));

  // A second initialisation finds the slot filled.
  AppControllerTestAccess::InitAgain(*controller);
  RunQueued();
  EXPECT_EQ(counts_.built, 1);
  EXPECT_EQ(counts_.destroyed, 0);
}

TEST_F(AppControllerTest, UpdateIsTrueWhateverThePageControllerAnswers) {
  auto controller = Make();
  RunQueued();
  for (bool pageAnswer : {true, false, true}) {
    counts_.updateResult = pageAnswer;
    EXPECT_TRUE(controller->Update()) << pageAnswer;
  }
  controller->Draw();
  controller->Draw();
  EXPECT_EQ(counts_.updates, 3);
  EXPECT_EQ(counts_.draws, 2);
}

TEST_F(AppControllerTest, ClosingEmptiesTheSlotsOnTheLogicThread) {
  auto controller = Make();
  RunQueued();
  AppControllerTestAccess::Close(*controller);
  EXPECT_TRUE(controller->Update());  // not before the closure has run
  RunQueued();
  const int updates = counts_.updates;
  const int draws = counts_.draws;
  EXPECT_FALSE(controller->Update());
  controller->Draw();
  EXPECT_EQ(counts_.updates, updates);
  EXPECT_EQ(counts_.draws, draws);
  controller.reset();
  EXPECT_EQ(counts_.destroyed, 1);
}

TEST_F(AppControllerTest, ShouldQuitDispatchesExactlyOneExitWhileTheControllerLives) {
  int exits = 0;
  ui::ConnectionHolder connections(events_);
  connections.Add(events_.Connect<ui::Events::System::Exit>(
      [&exits](const ui::Events::System::Exit&) { ++exits; }));

  auto controller = Make();
  events_.Dispatch(Events::UIEvents::ShouldQuit{});
  EXPECT_EQ(exits, 1);
  events_.Dispatch(Events::UIEvents::ShouldQuit{});
  EXPECT_EQ(exits, 2);

  controller.reset();
  events_.Dispatch(Events::UIEvents::ShouldQuit{});
  EXPECT_EQ(exits, 2);
}

TEST_F(AppControllerTest, TheInstallerControllerBuildsWithoutAPageFactory) {
  // The real constructor wires the same way (page controller from the tree).
  AppController controller(events_, queue_, gui_);
  EXPECT_FALSE(controller.Update());
}

}  // namespace
}  // namespace kovo::plugin::web::installer
