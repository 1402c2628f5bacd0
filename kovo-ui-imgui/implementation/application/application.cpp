#include "kovo-ui-imgui/application/application.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>

#include "application/frame_pacer.h"
#include "application/graphics_backends.h"
#include "kovo-ui-imgui/application/logic_thread_policy.h"
#include "kovo-ui-imgui/events/system_events.h"
#include "kovo-ui-imgui/logger/logger.h"
#include "kovo-ui-imgui/threading/controlled_thread.h"

namespace kovo::desktop::ui::imgui {

namespace {

constexpr float kClearColor[4] = {0.45f, 0.55f, 0.60f, 1.00f};
constexpr auto kMinimumFramePeriod = std::chrono::microseconds(1000000 / 60);

// The logic thread's policy, plus a flag and (in waiting mode) a wake-up of
// the GUI thread when the logic thread ends. A waiting GUI thread sleeps in
// its message wait, and nothing else would wake it. The flag is set before
// the empty event is posted, so the frame that the event causes sees it even
// before the thread has cleared its own running flag.
class LogicEndSignal final : public IControlledThreadPolicy {
 public:
  LogicEndSignal(std::shared_ptr<IControlledThreadPolicy> inner, Window& window, bool wake_window)
      : inner_(std::move(inner)), window_(window), wake_window_(wake_window) {}

  bool Ended() const { return ended_; }

  void OnStart() override {
    ended_ = false;
    inner_->OnStart();
  }
  void OnStopRequested(unsigned thread_id) override { inner_->OnStopRequested(thread_id); }
  void OnStopped() override { inner_->OnStopped(); }
  bool Prepare() override { return inner_->Prepare(); }
  bool Step() override { return inner_->Step(); }
  void OnFailure(const std::exception* error) override {
    Signal();
    inner_->OnFailure(error);
  }
  void OnSoftExit() override {
    Signal();
    inner_->OnSoftExit();
  }

 private:
  void Signal() {
    ended_ = true;
    if (wake_window_) window_.PostEmptyEvent();
  }

  std::shared_ptr<IControlledThreadPolicy> inner_;
  Window& window_;
  bool wake_window_;
  std::atomic<bool> ended_{false};
};

std::unique_ptr<IController> MakeController(const Application::ControllerFactory& factory,
                                            EventSystem& events, SafeQueue& queue,
                                            GUIContext& gui) {
  try {
    return factory ? factory(events, queue, gui) : nullptr;
  } catch (const std::exception& error) {
    LOG_ERROR("Controller construction failed: " << error.what());
  } catch (...) {
    LOG_ERROR("Controller construction failed");
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<Application> Application::Create(ApplicationCreateInfo&& info,
                                                 ControllerFactory factory) {
  const auto backends = AvailableGraphicsBackends();
  if (backends.empty()) {
    LOG_DEBUG("Graphics Backends not found");
    return nullptr;
  }
  auto gui = CreateGuiContext(backends.front(), info);
  if (!gui) {
    LOG_DEBUG("Could not create imgui render context");
    return nullptr;
  }
  return std::make_unique<Application>(info.wait_events, std::move(gui), std::move(factory));
}

Application::Application(const bool& wait_events, std::unique_ptr<GUIContext>&& gui,
                         ControllerFactory&& factory)
    : wait_events_(wait_events), gui_(std::move(gui)), factory_(std::move(factory)) {
  LOG_INFO("Application initialized with event handling mode : " << (wait_events_ ? "waiting"
                                                                                  : "polling"));
}

int Application::Exec() {
  Window& window = gui_->GetWindow();
  GraphicsDevice& device = gui_->GetGraphicsDevice();

  EventSystem events;
  SafeQueue queue;
  ConnectionHolder connections(events);
  events.ExcludeFromLog<Events::System::RedrawUiEvent>();

  std::unique_ptr<IController> controller = MakeController(factory_, events, queue, *gui_);
  if (!controller) {
    LOG_ERROR("Could not instantiate main app controller");
    return 1;
  }

  std::mutex app_mutex;
  bool running = true;
  auto logic = std::make_shared<LogicEndSignal>(
      std::make_shared<LogicThreadPolicy>(*controller, app_mutex, events, queue), window,
      wait_events_);
  ControlledThread logic_thread(L"LogicThread", logic);

  if (wait_events_) {
    window.PostEmptyEvent();
    connections.Add(events.Connect<Events::System::RedrawUiEvent>(
        [&window](const Events::System::RedrawUiEvent&) { window.PostEmptyEvent(); }));
  }

  logic_thread.Start();

  FramePacer pacer(kMinimumFramePeriod);
  const bool paced = !wait_events_ && window.VSync();
  while (running && logic_thread.IsEnabled() && !logic->Ended()) {
    if (wait_events_) {
      window.WaitEvents();
    } else {
      window.PollEvents();
    }
    gui_->NewFrame();
    {
      std::lock_guard<std::mutex> lock(app_mutex);
      controller->Draw();
    }
    gui_->Render();
    device.Clear(kClearColor);
    gui_->RenderDrawData();
    device.Present();
    running = !window.ShouldClose();
    if (paced) pacer.Wait();
  }

  // Leaving destroys the logic thread (stopping and joining it), then the
  // controller, the redraw connection, the queue and the event system.
  return 0;
}

}  // namespace kovo::desktop::ui::imgui
