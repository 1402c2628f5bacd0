#include "kovo-ui-imgui/events/event_system.h"

#include <cstring>

#include "kovo-ui-imgui/events/safe_queue.h"

namespace kovo::desktop::ui::imgui {

namespace event_detail {
unsigned NextEventTypeIndex() {
  static std::atomic<unsigned> counter{0};
  return counter++;
}
}  // namespace event_detail

bool EventSystem::IsConnected(ConnectionHandle handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle.type >= lists_.size() || !lists_[handle.type]) return false;
  return lists_[handle.type]->IsConnected(handle.id);
}

void EventSystem::Disconnect(ConnectionHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle.type >= lists_.size() || !lists_[handle.type]) return;
  lists_[handle.type]->Disconnect(handle.id);
}

bool EventSystem::IsExcludedFromLog(const char* typeName) const {
  for (const auto& name : not_logged_) {
    if (name == typeName) return true;
  }
  return false;
}

ConnectionHolder::ConnectionHolder(EventSystem& events) : events_(&events) {}

ConnectionHolder::~ConnectionHolder() {
  for (int i = count_ - 1; i >= 0; --i) {
    if (events_->IsConnected(handles_[i])) events_->Disconnect(handles_[i]);
  }
}

void ConnectionHolder::Add(std::optional<ConnectionHandle> handle) {
  if (!handle) return;
  if (count_ >= kCapacity) {
    // An untracked connection would outlive its owner and call into a dead
    // object later: end it now instead.
    LOG_ERROR("CONNECTION HOLDER IS FULL, connection ended: id=" << handle->id
                                                                 << " type=" << handle->type);
    events_->Disconnect(*handle);
    return;
  }
  handles_[count_++] = *handle;
}

std::vector<SafeQueue::Closure> SafeQueue::TakeAll() {
  std::vector<Closure> taken;
  std::lock_guard<std::mutex> lock(mutex_);
  taken.swap(items_);
  empty_ = true;
  return taken;
}

void SafeQueue::WaitUntilNotEmpty() {
  std::unique_lock<std::mutex> lock(mutex_);
  posted_.wait(lock, [this] { return !empty_.load(); });
}

}  // namespace kovo::desktop::ui::imgui
