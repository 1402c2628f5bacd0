// Keeps a frame loop at or below a frame rate where presenting does not wait
// for the display (a virtual X server, a disabled compositor).
#pragma once

#include <chrono>
#include <optional>

namespace kovo::desktop::ui::imgui {

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FramePacer(Clock::duration period) : period_(period) {}

  // Called once per frame; sleeps until the frame's time slot. Slots follow a
  // fixed cadence, so a frame that started late is not followed by a longer
  // gap, and the average never exceeds one frame per period. A loop that
  // falls more than a period behind starts a new cadence.
  void Wait();

 private:
  Clock::duration period_;
  std::optional<Clock::time_point> next_slot_;
};

}  // namespace kovo::desktop::ui::imgui
