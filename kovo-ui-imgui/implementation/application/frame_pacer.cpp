#include "application/frame_pacer.h"

#include <thread>

namespace kovo::desktop::ui::imgui {

void FramePacer::Wait() {
  const auto now = Clock::now();
  if (!next_slot_ || now - *next_slot_ > period_) {
    next_slot_ = now + period_;
    return;
  }
  if (now < *next_slot_) std::this_thread::sleep_until(*next_slot_);
  *next_slot_ += period_;
}

}  // namespace kovo::desktop::ui::imgui
