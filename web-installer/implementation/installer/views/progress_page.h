// The progress page: four self-advancing feature slides with their pictures
// and help links, the progress bar with the current phase, and the cancel
// button.
//
// Threads: GUI thread, inside the page view's frame. `progress` and `phase`
// are read once per frame while the worker may change them.
#pragma once

#include <string>
#include <vector>

#include "installer/views/page_drawing.h"

namespace kovo::plugin::web::installer {

struct ProgressSlide {
  std::string title;  // translated
  std::string text;   // translated
  std::string address;
  PictureId picture;
};

// The four slides in the current language, ordered by their translated
// titles byte by byte.
std::vector<ProgressSlide> OrderedSlides();

// The text key of a phase.
const char* PhaseTextKey(InstallPhase phase);

class ProgressPage {
 public:
  // Radians a second the slide timer advances.
  static constexpr float kTimerSpeed = 0.6f;

  void Draw(const PageFrame& frame);

  // Kept for the life of the program, across visits of the page.
  int CurrentSlide() const { return current_; }
  float TimerAngle() const { return angle_; }

 private:
  int current_ = 0;
  float angle_ = 0.0f;
};

}  // namespace kovo::plugin::web::installer
