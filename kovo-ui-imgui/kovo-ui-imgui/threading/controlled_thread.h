// A named worker thread that can be started, restarted and stopped, with
// every transition logged. What the thread does is its policy's business.
#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace kovo::desktop::ui::imgui {

class IControlledThreadPolicy {
 public:
  virtual ~IControlledThreadPolicy() = default;
  // Start, on the caller's thread, before the thread is created.
  virtual void OnStart() = 0;
  // Stop, on the caller's thread, before the thread is told to end.
  virtual void OnStopRequested(unsigned thread_id) = 0;
  // Stop, after the join.
  virtual void OnStopped() = 0;
  // Start phase, repeated until it returns true.
  virtual bool Prepare() = 0;
  // Main phase, repeated until it returns true.
  virtual bool Step() = 0;
  // An exception escaped a phase; null when it did not derive from std::exception.
  virtual void OnFailure(const std::exception* error) = 0;
  // The main phase ended normally.
  virtual void OnSoftExit() = 0;
};

class ControlledThread {
 public:
  ControlledThread(const std::wstring& name, std::shared_ptr<IControlledThreadPolicy> policy);
  virtual ~ControlledThread();
  ControlledThread(const ControlledThread&) = delete;
  ControlledThread& operator=(const ControlledThread&) = delete;

  void Start();
  void Stop();
  bool IsEnabled() const { return shared_->enabled.load(); }

 private:
  // What the running body reads. Shared with the body, so that a thread told
  // to stop (or destroyed) from inside itself finishes without touching a
  // ControlledThread that may already be gone.
  struct Shared {
    std::atomic<bool> enabled{false};
    std::wstring name;
    std::shared_ptr<IControlledThreadPolicy> policy;
  };

  static void Run(std::shared_ptr<Shared> shared);
  void Launch();

  std::mutex mutex_;
  std::unique_ptr<std::thread> thread_;
  std::thread::id thread_id_;
  std::shared_ptr<Shared> shared_;
};

// The id of a std::thread as the unsigned number the logs and policies use.
unsigned ThreadIdNumber(std::thread::id id);

}  // namespace kovo::desktop::ui::imgui
