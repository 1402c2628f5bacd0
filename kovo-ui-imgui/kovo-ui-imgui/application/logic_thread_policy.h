// Drives an IController on the logic thread: each step drains the safe
// queue, updates the controller under the application mutex, then sleeps until
// something new is posted.
#pragma once

#include <atomic>
#include <mutex>

#include "kovo-ui-imgui/application/controller.h"
#include "kovo-ui-imgui/events/event_system.h"
#include "kovo-ui-imgui/events/safe_queue.h"
#include "kovo-ui-imgui/events/system_events.h"
#include "kovo-ui-imgui/threading/controlled_thread.h"

namespace kovo::desktop::ui::imgui {

class LogicThreadPolicy final : public IControlledThreadPolicy {
 public:
  LogicThreadPolicy(IController& controller, std::mutex& app_mutex, EventSystem& events, SafeQueue& queue);

  void OnStart() override { stop_requested_ = false; }
  // Wakes a step that waits on an empty queue, and keeps later steps from
  // waiting, so that Stop can join.
  void OnStopRequested(unsigned thread_id) override;
  void OnStopped() override {}
  bool Prepare() override { return true; }
  bool Step() override;
  void OnFailure(const std::exception*) override {}
  void OnSoftExit() override {}

 private:
  void OnExit(const Events::System::Exit&);

  IController& controller_;
  std::mutex& app_mutex_;
  EventSystem& events_;
  SafeQueue& queue_;
  ConnectionHolder connections_;
  std::atomic<bool> exit_requested_{false};
  std::atomic<bool> stop_requested_{false};
};

}  // namespace kovo::desktop::ui::imgui
