#include "application/graphics_backends.h"

namespace kovo::desktop::ui::imgui {

// No native window system here: views run headless in tests instead (see
// kovo-ui-imgui/headless/).
std::vector<GraphicsBackend> AvailableGraphicsBackends() { return {}; }

std::unique_ptr<GUIContext> CreateGuiContext(const GraphicsBackend&, const ApplicationCreateInfo&) {
  return nullptr;
}

}  // namespace kovo::desktop::ui::imgui
