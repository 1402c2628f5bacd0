#include "kovo-ui-imgui/threading/controlled_thread.h"

#include <sstream>

#include "kovo-ui-imgui/logger/logger.h"

namespace kovo::desktop::ui::imgui {

namespace {
// Thread names are plain ASCII; anything else is shown as "?".
std::string Narrow(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out += (c > 0 && c < 0x80) ? static_cast<char>(c) : '?';
  return out;
}
}  // namespace

unsigned ThreadIdNumber(std::thread::id id) {
  std::ostringstream text;
  text << id;
  unsigned long long number = 0;
  std::istringstream(text.str()) >> number;
  return static_cast<unsigned>(number);
}

ControlledThread::ControlledThread(const std::wstring& name,
                                   std::shared_ptr<IControlledThreadPolicy> policy)
    : shared_(std::make_shared<Shared>()) {
  shared_->name = name;
  shared_->policy = std::move(policy);
}

ControlledThread::~ControlledThread() {
  Stop();
  // Only a thread that destroys its own ControlledThread is still joinable
  // here; it cannot join itself, and a joinable std::thread must not be
  // destroyed, so it runs to its end on its own.
  if (thread_ && thread_->joinable()) thread_->detach();
  thread_.reset();
}

void ControlledThread::Launch() {
  shared_->policy->OnStart();
  shared_->enabled = true;
  thread_ = std::make_unique<std::thread>(&ControlledThread::Run, shared_);
  thread_id_ = thread_->get_id();
}

void ControlledThread::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string name = Narrow(shared_->name);
  const bool enabled = shared_->enabled;
  LOG_DEBUG("STATE BEFORE START: name=" << name << "enabled=" << (enabled ? 1 : 0));

  if (enabled && thread_) {
    LOG_DEBUG("thread IS ALREADY RUNNING" << name);
    return;
  }

  if (thread_) {
    LOG_DEBUG("thread RESTART begin name=" << name);
    if (thread_id_ == std::this_thread::get_id()) {
      // The old body is still unwinding on this very thread and would clear
      // the flag of a new run behind its back: refuse the restart.
      LOG_ERROR("JOIN IN SAME THREAD!!! IT IS VERY STRANGE!!!" << name);
      return;
    }
    if (thread_->joinable()) thread_->join();
    Launch();
    LOG_DEBUG("thread RESTART end (thread_id:)" << name);
    return;
  }

  LOG_DEBUG("thread START begin: name=" << name);
  Launch();
  LOG_DEBUG("thread START end (thread_id) name=" << name);
}

void ControlledThread::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string name = Narrow(shared_->name);
  const bool hasThread = thread_ != nullptr;
  const bool joinable = hasThread && thread_->joinable();
  LOG_DEBUG("STATE BEFORE STOP: enabled=" << (shared_->enabled ? 1 : 0) << ", thread="
                                          << (hasThread ? 1 : 0) << ", thread_joinable="
                                          << (joinable ? 1 : 0) << name);

  if (!hasThread) {
    LOG_DEBUG("thread IS ALREADY STOPPED" << name);
    shared_->enabled = false;
    return;
  }

  LOG_DEBUG("thread STOP begin" << name);
  shared_->policy->OnStopRequested(ThreadIdNumber(thread_id_));
  shared_->enabled = false;
  if (thread_id_ != std::this_thread::get_id()) {
    if (thread_->joinable()) thread_->join();
    thread_.reset();
  } else {
    LOG_WARN("JOIN IN SAME THREAD!!!" << name << ThreadIdNumber(thread_id_));
  }
  shared_->policy->OnStopped();
  LOG_DEBUG("thread STOP end" << name);
}

void ControlledThread::Run(std::shared_ptr<Shared> shared) {
  const std::string name = Narrow(shared->name);
  IControlledThreadPolicy& policy = *shared->policy;
  try {
    LOG_DEBUG("thread RUN name=" << name);
    while (shared->enabled) {
      if (policy.Prepare()) break;
    }
    LOG_DEBUG("thread MAIN name=" << name);
    while (shared->enabled) {
      if (policy.Step()) break;
    }
    LOG_DEBUG("thread SOFT EXIT name=" << name);
    policy.OnSoftExit();
    shared->enabled = false;
  } catch (const std::exception& error) {
    LOG_ERROR("thread running FAIL name=" << name << " what=" << error.what());
    try {
      policy.OnFailure(&error);
    } catch (...) {
    }
    shared->enabled = false;
  } catch (...) {
    LOG_ERROR("thread running FAIL name=" << name << "UNKNOWN");
    try {
      policy.OnFailure(nullptr);
    } catch (...) {
    }
    shared->enabled = false;
  }
}

}  // namespace kovo::desktop::ui::imgui
