// Style variables and colours pushed for a scope and popped when it ends,
// whichever way it is left. GUI thread, inside a frame.
#pragma once

#include <imgui.h>

namespace kovo::desktop::ui::imgui {

class StyleScope {
 public:
  StyleScope() = default;
  StyleScope(const StyleScope&) = delete;
  StyleScope& operator=(const StyleScope&) = delete;
  ~StyleScope() {
    ImGui::PopStyleColor(colours_);
    ImGui::PopStyleVar(vars_);
  }
  StyleScope& Var(ImGuiStyleVar var, float value) {
    ImGui::PushStyleVar(var, value);
    ++vars_;
    return *this;
  }
  StyleScope& Var(ImGuiStyleVar var, const ImVec2& value) {
    ImGui::PushStyleVar(var, value);
    ++vars_;
    return *this;
  }
  StyleScope& Colour(ImGuiCol colour, ImU32 value) {
    ImGui::PushStyleColor(colour, value);
    ++colours_;
    return *this;
  }

 private:
  int vars_ = 0;
  int colours_ = 0;
};

}  // namespace kovo::desktop::ui::imgui
