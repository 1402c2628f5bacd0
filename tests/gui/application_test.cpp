#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>

#include <kovo-ui-imgui/application/application.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/headless/null_gui_context.h>

#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
using kovo::testing::LogCapture;
using kovo::testing::WaitUntil;
using namespace std::chrono_literals;

namespace {

// What the test controls and observes of the controller the application
// builds. Lives outside the controller, which the application owns.
struct Script {
  std::function<bool(int update)> update = [](int) { return true; };
  std::function<void(int frame)> on_draw;
  std::atomic<int> updates{0};
  std::atomic<int> draws{0};
  std::atomic<bool> destroyed{false};
  ui::EventSystem* events = nullptr;
  ui::SafeQueue* queue = nullptr;
  ui::GUIContext* gui = nullptr;

  void Emit(std::function<void(ui::EventSystem&)> dispatch) {
    ui::EventSystem* target = events;
    queue->Emplace([target, dispatch] { dispatch(*target); });
  }
};

Script* current_script = nullptr;

class ScriptedController final : public ui::IController {
 public:
  ScriptedController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui)
      : script_(*current_script) {
    script_.events = &events;
    script_.queue = &queue;
    script_.gui = &gui;
  }
  ~ScriptedController() override { script_.destroyed = true; }
  bool Update() override { return script_.update(++script_.updates); }
  void Draw() override {
    const int frame = ++script_.draws;
    if (script_.on_draw) script_.on_draw(frame);
  }

 private:
  Script& script_;
};

struct Run {
  ui::NullGuiContext* gui = nullptr;
  std::unique_ptr<ui::Application> app;
};

Run MakeApplication(Script& script, bool wait_events, bool vsync = true) {
  current_script = &script;
  ui::NullGuiContext::Options options;
  options.vsync = vsync;
  auto gui = std::make_unique<ui::NullGuiContext>(options);
  Run run;
  run.gui = gui.get();
  run.app = std::make_unique<ui::Application>(wait_events, std::move(gui),
                                              ui::Application::FactoryFor<ScriptedController>());
  return run;
}

// Exec on this thread, with a deadline so that a hang fails instead of
// blocking the test run.
int ExecWithin(ui::Application& app, std::chrono::seconds limit, ui::NullWindow& window) {
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    if (!WaitUntil([&] { return done.load(); }, limit)) {
      ADD_FAILURE() << "Exec did not return within " << limit.count() << " s";
      window.PostQuit();
    }
  });
  const int result = app.Exec();
  done = true;
  watchdog.join();
  return result;
}

}  // namespace

TEST(Application, CreateFindsNoGraphicsBackendOnThisSystem) {
  LogCapture log;
  auto app = ui::Application::Create<ScriptedController>(ui::ApplicationCreateInfo{});
  EXPECT_FALSE(app);
  EXPECT_TRUE(log.Contains("Graphics Backends not found"));
}

TEST(Application, LogsItsEventHandlingModeWhenConstructed) {
  for (const bool waiting : {true, false}) {
    LogCapture log;
    Script script;
    auto run = MakeApplication(script, waiting);
    const auto messages = log.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::string("Application initialized with event handling mode : ") +
                               (waiting ? "waiting" : "polling"));
    EXPECT_NE(log.Lines()[0].find("\t[application/application.cpp:"), std::string::npos);
  }
}

TEST(Application, WithoutAControllerExecReturnsOneAndStartsNoThread) {
  struct Case {
    const char* name;
    ui::Application::ControllerFactory factory;
  } cases[] = {
      {"factory returns nothing",
       [](ui::EventSystem&, ui::SafeQueue&, ui::GUIContext&) {
         return std::unique_ptr<ui::IController>();
       }},
      {"controller constructor throws",
       [](ui::EventSystem&, ui::SafeQueue&, ui::GUIContext&) -> std::unique_ptr<ui::IController> {
         throw std::runtime_error("no page");
       }},
      {"no factory", nullptr},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    auto gui = std::make_unique<ui::NullGuiContext>();
    auto* null_gui = gui.get();
    ui::Application app(false, std::move(gui), std::move(c.factory));
    EXPECT_EQ(app.Exec(), 1);
    EXPECT_TRUE(log.Contains("Could not instantiate main app controller"));
    EXPECT_FALSE(log.Contains("thread START"));
    EXPECT_EQ(null_gui->NullDevice().Presents(), 0);
  }
}

TEST(Application, PollingLoopEndsWhenTheControllerFinishes) {
  LogCapture log;
  Script script;
  script.update = [](int) { return false; };
  auto run = MakeApplication(script, false);
  EXPECT_EQ(ExecWithin(*run.app, 5s, run.gui->Null()), 0);

  EXPECT_EQ(script.updates, 1);
  EXPECT_TRUE(script.destroyed);
  EXPECT_TRUE(log.Contains("CONTROLLER END"));
}

TEST(Application, EveryFrameIsClearedWithTheClearColourAndPresented) {
  Script script;
  script.on_draw = [&](int frame) {
    if (frame == 5)
      script.Emit([](ui::EventSystem& events) { events.Dispatch(ui::Events::System::Exit{}); });
  };
  auto run = MakeApplication(script, false);
  EXPECT_EQ(ExecWithin(*run.app, 5s, run.gui->Null()), 0);

  const auto& device = run.gui->NullDevice();
  EXPECT_GE(device.Presents(), 5);
  EXPECT_EQ(device.Presents(), script.draws);
  EXPECT_EQ(device.Clears(), device.Presents());
  EXPECT_EQ(run.gui->RenderedFrames(), device.Presents());
  const float expected[4] = {0.45f, 0.55f, 0.60f, 1.00f};
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(device.LastClearColor()[i], expected[i]);
}

TEST(Application, WaitingLoopDrawsAtOnceThenOnlyWhenWokenAndEndsPromptlyOnExit) {
  LogCapture log;
  Script script;
  std::promise<void> idle;
  std::atomic<bool> exit_wanted{false};
  script.on_draw = [&](int frame) {
    if (frame == 1) idle.set_value();
    // Posted from the GUI thread, as views do: a thread that posts must not
    // still be inside the queue when Exec returns and destroys it.
    if (exit_wanted.exchange(false)) {
      script.Emit([](ui::EventSystem& events) { events.Dispatch(ui::Events::System::Exit{}); });
    }
  };
  auto run = MakeApplication(script, true);
  auto& window = run.gui->Null();

  std::thread driver([&] {
    idle.get_future().wait();
    // Without input nothing more is drawn.
    std::this_thread::sleep_for(200ms);
    const int idle_draws = script.draws;
    EXPECT_EQ(idle_draws, 1);
    // A redraw request from the logic thread wakes the loop once.
    script.Emit(
        [](ui::EventSystem& events) { events.Dispatch(ui::Events::System::RedrawUiEvent{}); });
    EXPECT_TRUE(WaitUntil([&] { return script.draws == 2; }, 5s));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(script.draws, 2);
    // Exit ends the logic thread; nothing but the loop's own wake-up ends the
    // message wait that follows.
    exit_wanted = true;
    window.PostEmptyEvent();
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(ExecWithin(*run.app, 10s, window), 0);
  driver.join();

  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  EXPECT_TRUE(log.Contains("EXITING THE APPLICATION"));
  EXPECT_FALSE(log.Contains("RedrawUiEvent"));
  // The first wait, the redraw, the test's own, the end.
  EXPECT_EQ(window.EmptyEventsPosted(), 4);
}

TEST(Application, PollingModeConnectsNothingToRedrawRequests) {
  LogCapture log;
  Script script;
  script.update = [&](int) {
    script.events->Dispatch(ui::Events::System::RedrawUiEvent{});
    script.Emit([](ui::EventSystem& events) { events.Dispatch(ui::Events::System::Exit{}); });
    return true;
  };
  auto run = MakeApplication(script, false);
  EXPECT_EQ(ExecWithin(*run.app, 5s, run.gui->Null()), 0);
  EXPECT_EQ(run.gui->Null().EmptyEventsPosted(), 0);
  EXPECT_FALSE(log.Contains("RedrawUiEvent"));
  EXPECT_TRUE(log.Contains("EXITING THE APPLICATION"));
}

TEST(Application, ASystemCloseEndsTheLoopAndStopsTheLogicThread) {
  LogCapture log;
  Script script;
  script.on_draw = [&](int frame) {
    if (frame == 3) static_cast<ui::NullWindow&>(script.gui->GetWindow()).SystemClose();
  };
  auto run = MakeApplication(script, true);
  // A waiting loop needs messages; the logic thread waits on its queue.
  std::thread ticker([&] {
    for (int i = 0; i < 3; ++i) {
      std::this_thread::sleep_for(20ms);
      run.gui->Null().PostEmptyEvent();
    }
  });
  EXPECT_EQ(ExecWithin(*run.app, 5s, run.gui->Null()), 0);
  ticker.join();
  EXPECT_TRUE(script.destroyed);
  EXPECT_TRUE(log.Contains("thread STOP end"));
  EXPECT_FALSE(log.Contains("EXITING THE APPLICATION"));
}

TEST(Application, ALogicThreadFailureEndsTheWaitingLoop) {
  LogCapture log;
  Script script;
  script.update = [](int) -> bool { throw std::runtime_error("probe failed"); };
  auto run = MakeApplication(script, true);
  EXPECT_EQ(ExecWithin(*run.app, 5s, run.gui->Null()), 0);
  EXPECT_TRUE(log.Contains("thread running FAIL name=LogicThread"));
}

TEST(Application, PollingWithVsyncNeverDrawsFasterThanSixtyFramesASecond) {
  struct Case {
    bool vsync;
    bool limited;
  } cases[] = {{true, true}, {false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vsync ? "vsync" : "no vsync");
    Script script;
    std::chrono::steady_clock::time_point first_frame;
    script.on_draw = [&](int frame) {
      if (frame == 1) first_frame = std::chrono::steady_clock::now();
      if (std::chrono::steady_clock::now() - first_frame >= 500ms)
        script.Emit([](ui::EventSystem& events) { events.Dispatch(ui::Events::System::Exit{}); });
    };
    auto run = MakeApplication(script, false, c.vsync);
    ASSERT_EQ(ExecWithin(*run.app, 10s, run.gui->Null()), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - first_frame).count();
    const double fps = script.draws / seconds;
    if (c.limited) {
      EXPECT_LE(script.draws, seconds * 60 + 2) << fps << " frames a second";
      EXPECT_GE(fps, 40) << "a frame that costs nothing should not be slowed down further";
    } else {
      EXPECT_GT(fps, 120);
    }
  }
}
