#include "application/graphics_backends.h"

#include "graphics/backend/gui_context/gui_context_win32_direct3d11.h"

namespace kovo::desktop::ui::imgui {

namespace {
constexpr GraphicsBackend kWin32Direct3D11{1, 1};
}

std::vector<GraphicsBackend> AvailableGraphicsBackends() { return {kWin32Direct3D11}; }

std::unique_ptr<GUIContext> CreateGuiContext(const GraphicsBackend& backend,
                                             const ApplicationCreateInfo& info) {
  if (backend.window_system == kWin32Direct3D11.window_system &&
      backend.graphics_api == kWin32Direct3D11.graphics_api) {
    return GuiContextWin32Direct3D11::Create(info);
  }
  return nullptr;
}

}  // namespace kovo::desktop::ui::imgui
