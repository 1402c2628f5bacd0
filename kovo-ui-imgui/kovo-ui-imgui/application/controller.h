// What every application controller implements.
#pragma once

namespace kovo::desktop::ui::imgui {

class IController {
 public:
  virtual ~IController() = default;
  // Logic thread, once per step, under the application mutex. False means the
  // controller has finished, which ends the logic thread.
  virtual bool Update() = 0;
  // GUI thread, once per frame between ImGui's new frame and render, under
  // the application mutex.
  virtual void Draw() = 0;
};

}  // namespace kovo::desktop::ui::imgui
