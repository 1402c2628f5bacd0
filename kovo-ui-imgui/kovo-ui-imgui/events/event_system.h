// A typed, synchronous publish-subscribe bus. Handlers connect to an event
// type; Dispatch calls them at once, in connection order, on the calling thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "kovo-ui-imgui/logger/logger.h"

namespace kovo::desktop::ui::imgui {

namespace event_detail {
unsigned NextEventTypeIndex();
}  // namespace event_detail

// A small number per event type, given in order of first use. Not stable
// across builds or runs.
template <typename E>
unsigned EventTypeIndex() {
  static const unsigned index = event_detail::NextEventTypeIndex();
  return index;
}

// One connection across the whole bus: its id within the type, and the type.
struct ConnectionHandle {
  std::uint32_t id = 0;
  std::uint32_t type = 0;
};

inline bool operator==(const ConnectionHandle& a, const ConnectionHandle& b) {
  return a.id == b.id && a.type == b.type;
}

class IConnectionList {
 public:
  virtual ~IConnectionList() = default;
  virtual void Disconnect(unsigned id) = 0;
  virtual bool IsConnected(unsigned id) const = 0;
};

// The connections of one event type, in connection order. Reached through
// EventSystem, which serialises every change to it.
template <typename E>
class ConnectionList final : public IConnectionList {
 public:
  using Handler = std::function<void(const E&)>;

  struct Entry {
    const void* owner = nullptr;
    Handler handler;
    std::uint32_t id = 0;
    // Cleared on disconnect, so that a dispatch already under way skips it.
    std::atomic<bool> connected{true};
  };
  using Snapshot = std::vector<std::shared_ptr<Entry>>;

  unsigned Connect(Handler handler) { return Append(nullptr, std::move(handler)); }

  // One member-function connection per object and event type.
  template <typename C>
  std::optional<unsigned> Connect(void (C::*method)(const E&), C* object) {
    return ConnectOwned(object, [method, object](const E& event) { (object->*method)(event); });
  }

  std::optional<unsigned> ConnectOwned(const void* owner, Handler handler) {
    for (const auto& entry : entries_) {
      if (entry->owner == owner) return std::nullopt;
    }
    return Append(owner, std::move(handler));
  }

  void Disconnect(unsigned id) override {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if ((*it)->id == id) {
        (*it)->connected = false;
        entries_.erase(it);
        return;
      }
    }
  }

  bool IsConnected(unsigned id) const override {
    for (const auto& entry : entries_) {
      if (entry->id == id) return true;
    }
    return false;
  }

  Snapshot Entries() const { return entries_; }

 private:
  unsigned Append(const void* owner, Handler handler) {
    auto entry = std::make_shared<Entry>();
    entry->owner = owner;
    entry->handler = std::move(handler);
    entry->id = next_id_++;
    entries_.push_back(std::move(entry));
    return entries_.back()->id;
  }

  std::vector<std::shared_ptr<Entry>> entries_;
  std::uint32_t next_id_ = 0;
};

class EventSystem {
 public:
  EventSystem() = default;
  EventSystem(const EventSystem&) = delete;
  EventSystem& operator=(const EventSystem&) = delete;

  template <typename E>
  std::optional<ConnectionHandle> Connect(std::function<void(const E&)> handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    const unsigned id = ListFor<E>().Connect(std::move(handler));
    return ConnectionHandle{id, EventTypeIndex<E>()};
  }

  // Empty when the object already has a member-function connection for E.
  template <typename C, typename E>
  std::optional<ConnectionHandle> Connect(void (C::*method)(const E&), C* object) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto id = ListFor<E>().Connect(method, object);
    if (!id) return std::nullopt;
    return ConnectionHandle{*id, EventTypeIndex<E>()};
  }

  // Dispatches a default To whenever From is dispatched, during that dispatch.
  // The event system owns the connection, so a second Forward from the same
  // type yields nothing.
  template <typename From, typename To>
  std::optional<ConnectionHandle> Forward() {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto id = ListFor<From>().ConnectOwned(this, [this](const From&) { Dispatch<To>(To{}); });
    if (!id) return std::nullopt;
    return ConnectionHandle{*id, EventTypeIndex<From>()};
  }

  // Handlers run outside the lock, on a snapshot of the connections: a handler
  // may connect or disconnect freely. Connections made during the dispatch are
  // not called in it; those removed during it are not called after removal.
  template <typename E>
  void Dispatch(const E& event) {
    typename ConnectionList<E>::Snapshot snapshot;
    bool logged = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      logged = !IsExcludedFromLog(typeid(E).name());
      snapshot = ListFor<E>().Entries();
    }
    if (logged) LOG_INFO("RECEIVED EVENT: " << typeid(E).name());
    for (const auto& entry : snapshot) {
      if (entry->connected) entry->handler(event);
    }
  }

  template <typename E>
  void ExcludeFromLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    not_logged_.emplace_back(typeid(E).name());
  }

  bool IsConnected(ConnectionHandle handle) const;
  void Disconnect(ConnectionHandle handle);

 private:
  template <typename E>
  ConnectionList<E>& ListFor() {
    const unsigned index = EventTypeIndex<E>();
    if (index >= lists_.size()) lists_.resize(index + 1);
    if (!lists_[index]) lists_[index] = std::make_unique<ConnectionList<E>>();
    return static_cast<ConnectionList<E>&>(*lists_[index]);
  }

  bool IsExcludedFromLog(const char* typeName) const;

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<IConnectionList>> lists_;
  std::vector<std::string> not_logged_;
};

// The connections an object made, ended in reverse order when it goes.
// Must be destroyed before the event system it is bound to.
class ConnectionHolder {
 public:
  static constexpr int kCapacity = 512;

  explicit ConnectionHolder(EventSystem& events);
  ~ConnectionHolder();
  ConnectionHolder(const ConnectionHolder&) = delete;
  ConnectionHolder& operator=(const ConnectionHolder&) = delete;

  // An empty optional is ignored. A full holder logs an error and ends the
  // connection it cannot keep.
  void Add(std::optional<ConnectionHandle> handle);
  int Count() const { return count_; }

 private:
  EventSystem* events_;
  std::array<ConnectionHandle, kCapacity> handles_{};
  std::int32_t count_ = 0;
};

}  // namespace kovo::desktop::ui::imgui
