// The Dear ImGui settings every GUI context of the framework uses.
#pragma once

struct ImGuiIO;

namespace kovo::desktop::ui::imgui {

// Keyboard navigation, resizing from the edges, moving from the title bar
// only, no layout file, the light colour scheme; multiple viewports without
// automatic merging where the ImGui build has them.
void ConfigureImGui(ImGuiIO& io);

}  // namespace kovo::desktop::ui::imgui
