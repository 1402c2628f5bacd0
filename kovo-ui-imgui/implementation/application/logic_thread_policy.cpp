#include "kovo-ui-imgui/application/logic_thread_policy.h"

#include "kovo-ui-imgui/logger/logger.h"

namespace kovo::desktop::ui::imgui {

LogicThreadPolicy::LogicThreadPolicy(IController& controller, std::mutex& app_mutex,
                                     EventSystem& events, SafeQueue& queue)
    : controller_(controller), app_mutex_(app_mutex), events_(events), queue_(queue),
      connections_(events) {
  connections_.Add(events_.Connect(&LogicThreadPolicy::OnExit, this));
}

void LogicThreadPolicy::OnExit(const Events::System::Exit&) { exit_requested_ = true; }

void LogicThreadPolicy::OnStopRequested(unsigned) {
  // The thread's flag is cleared only after this returns, so the wake-up
  // closure alone is not enough: a step already running may drain it and then
  // wait again before the thread sees the flag. The stop flag covers that step.
  stop_requested_ = true;
  queue_.Emplace([] {});
}

bool LogicThreadPolicy::Step() {
  std::unique_lock<std::mutex> lock(app_mutex_);
  for (auto& closure : queue_.TakeAll()) closure();

  if (exit_requested_) {
    LOG_DEBUG("EXITING THE APPLICATION");
    return true;
  }
  if (!controller_.Update()) {
    LOG_DEBUG("CONTROLLER END");
    return true;
  }
  lock.unlock();
  if (!stop_requested_) queue_.WaitUntilNotEmpty();
  return false;
}

}  // namespace kovo::desktop::ui::imgui
