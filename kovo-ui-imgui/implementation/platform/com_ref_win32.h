// One owned reference to a COM interface, released when the holder goes.
#pragma once

#include <utility>

namespace kovo::desktop::ui::imgui {

template <typename T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* pointer) : pointer_(pointer) {}
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For functions that hand out a new reference through a T** argument.
  T** Receive() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace kovo::desktop::ui::imgui
