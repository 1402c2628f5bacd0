// Style variables and colours pushed for a scope, and child regions begun for
// one, popped or ended when it ends, whichever way it is left. GUI thread,
// inside a frame.
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

class ChildScope {
 public:
  ChildScope(const char* id, const ImVec2& size, ImGuiWindowFlags flags) {
    ImGui::BeginChild(id, size, false, flags);
  }
  ChildScope(const ChildScope&) = delete;
  ChildScope& operator=(const ChildScope&) = delete;
  ~ChildScope() { ImGui::EndChild(); }
};

}  // namespace kovo::desktop::ui::imgui
