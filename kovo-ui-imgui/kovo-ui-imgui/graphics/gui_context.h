// What the application drives every frame: the window, the graphics device,
// the Dear ImGui context with its back ends, the fonts and the clipboard.
#pragma once

#include "kovo-ui-imgui/clipboard/text_clipboard.h"
#include "kovo-ui-imgui/fonts/font_cache.h"
#include "kovo-ui-imgui/graphics/graphics_device.h"
#include "kovo-ui-imgui/graphics/window.h"

namespace kovo::desktop::ui::imgui {

class GUIContext {
 public:
  virtual ~GUIContext() = default;
  virtual Window& GetWindow() = 0;
  virtual GraphicsDevice& GetGraphicsDevice() = 0;
  // Renderer back end, platform back end, then ImGui::NewFrame.
  virtual void NewFrame() = 0;
  // Ends the ImGui frame (and updates extra platform windows where the ImGui
  // build has them).
  virtual void Render() = 0;
  // Draws the main viewport's draw data into the bound back buffer.
  virtual void RenderDrawData() = 0;
  virtual const FontCache& GetFontCache() const = 0;
  virtual TextClipboard& GetClipboard() = 0;
};

}  // namespace kovo::desktop::ui::imgui
