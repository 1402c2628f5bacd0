// A queue of closures: any thread posts, the logic thread drains.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace kovo::desktop::ui::imgui {

class SafeQueue {
 public:
  using Closure = std::function<void()>;

  SafeQueue() = default;
  SafeQueue(const SafeQueue&) = delete;
  SafeQueue& operator=(const SafeQueue&) = delete;

  template <typename F>
  void Emplace(F&& f) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      items_.emplace_back(std::forward<F>(f));
      empty_ = false;
    }
    posted_.notify_all();
  }

  // Everything posted so far, in posting order; the lock is held for a swap.
  std::vector<Closure> TakeAll();

  // Returns once something has been posted since the last TakeAll. A post
  // wakes the waiter at once; there is no polling delay.
  void WaitUntilNotEmpty();

  bool Empty() const { return empty_; }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::atomic<bool> empty_{true};
  std::vector<Closure> items_;
};

}  // namespace kovo::desktop::ui::imgui
