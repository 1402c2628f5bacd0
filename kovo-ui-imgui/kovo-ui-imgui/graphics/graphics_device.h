// The device the frames are drawn with.
#pragma once

#include <memory>

#include "kovo-ui-imgui/graphics/texture.h"
#include "kovo-ui-imgui/graphics/window.h"

namespace kovo::desktop::ui::imgui {

class GraphicsDevice {
 public:
  virtual ~GraphicsDevice() = default;
  virtual void Present() = 0;
  // Binds the back buffer and clears it to red, green, blue, alpha.
  virtual void Clear(const float color[4]) = 0;
  // Never empty: a texture the device could not create has a null handle.
  // Textures must be destroyed before their device.
  virtual std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format) = 0;
  virtual NativeWindowHandle GetWindowHandle() const = 0;
};

}  // namespace kovo::desktop::ui::imgui
