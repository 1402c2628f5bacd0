// What every drawable view implements.
#pragma once

namespace kovo::desktop::ui::imgui {

class IView {
 public:
  virtual ~IView() = default;
  // GUI thread, called by the owning controller from its own Draw.
  virtual void Draw() = 0;
};

}  // namespace kovo::desktop::ui::imgui
