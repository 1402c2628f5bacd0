// Receives the items Dear ImGui registers while a frame is built (buttons,
// check boxes, any widget with an id). Native builds only: Dear ImGui calls
// it through its item hooks.
#pragma once

namespace kovo::desktop::ui::imgui {

class ImGuiItemObserver {
 public:
  virtual ~ImGuiItemObserver() = default;
  virtual void OnItemAdded(unsigned id, float x0, float y0, float x1, float y1) = 0;
  virtual void OnItemInfo(unsigned id, const char* label, int status_flags) = 0;
};

}  // namespace kovo::desktop::ui::imgui
