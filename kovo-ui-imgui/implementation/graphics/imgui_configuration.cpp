#include "graphics/imgui_configuration.h"

#include <imgui.h>

namespace kovo::desktop::ui::imgui {

void ConfigureImGui(ImGuiIO& io) {
  io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
#ifdef IMGUI_HAS_VIEWPORT
  io.ConfigFlags |= ImGuiConfigFlags_ViewportsEnable;
  io.ConfigViewportsNoAutoMerge = true;
#endif
  io.ConfigWindowsResizeFromEdges = true;
  io.ConfigWindowsMoveFromTitleBarOnly = true;
  io.IniFilename = nullptr;
  ImGui::StyleColorsLight();
}

}  // namespace kovo::desktop::ui::imgui
