// The window system and graphics API pairs this build can run on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kovo-ui-imgui/application/application_create_info.h"
#include "kovo-ui-imgui/graphics/gui_context.h"

namespace kovo::desktop::ui::imgui {

struct GraphicsBackend {
  std::int32_t window_system = 0;  // 1: Win32
  std::int32_t graphics_api = 0;   // 1: Direct3D 11
};

std::vector<GraphicsBackend> AvailableGraphicsBackends();

// Empty for a pair this build does not know, or when creation failed.
std::unique_ptr<GUIContext> CreateGuiContext(const GraphicsBackend& backend,
                                             const ApplicationCreateInfo& info);

}  // namespace kovo::desktop::ui::imgui
