// The bridge from any thread to the logic thread: Emit packs the dispatch of
// an event into a closure on the safe queue.
#pragma once

#include <utility>

#include "kovo-ui-imgui/events/event_system.h"
#include "kovo-ui-imgui/events/safe_queue.h"

namespace kovo::desktop::ui::imgui {

class EventQueuer {
 public:
  EventQueuer(SafeQueue& queue, EventSystem& events) : queue_(&queue), events_(&events) {}

  // Builds E{args...} now, on the calling thread (strings and lists are
  // copied), and dispatches it later when the logic thread drains the queue.
  template <typename E, typename... Args>
  void Emit(Args&&... args) const {
    E event{std::forward<Args>(args)...};
    EventSystem* events = events_;
    queue_->Emplace([events, event = std::move(event)]() { events->Dispatch(event); });
  }

  SafeQueue& Queue() const { return *queue_; }
  EventSystem& Events() const { return *events_; }

 private:
  SafeQueue* queue_;
  EventSystem* events_;
};

}  // namespace kovo::desktop::ui::imgui
