// The device the frames are drawn with.
//
// Threads: the device is made on the GUI thread, and that thread alone
// clears, renders and presents (the immediate context is not thread-safe and
// is used outside the application mutex). Textures may be created from any
// thread, for example by a view built on the logic thread: creation goes
// through the device alone, never through the immediate context.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kovo-ui-imgui/graphics/texture.h"
#include "kovo-ui-imgui/graphics/window.h"

namespace kovo::desktop::ui::imgui {

class GraphicsDevice {
 public:
  virtual ~GraphicsDevice() = default;
  // GUI thread. A failed or occluded presentation is logged (once until
  // presenting works again) and otherwise ignored.
  virtual void Present() = 0;
  // GUI thread. Binds the back buffer and clears it to red, green, blue, alpha.
  virtual void Clear(const float color[4]) = 0;
  // Any thread. Never empty: a texture the device could not create has a null
  // handle. Textures must be destroyed before their device. The image starts
  // out blank (all bytes zero).
  virtual std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format) = 0;
  // Any thread. The texture with its first image: `pixels` must hold exactly
  // width x height pixels of the format, otherwise the texture is not created
  // (null handle).
  virtual std::unique_ptr<Texture> CreateTexture(int width, int height, PixelFormat format,
                                                 const std::vector<std::uint8_t>& pixels) = 0;
  // Any thread.
  virtual NativeWindowHandle GetWindowHandle() const = 0;
};

}  // namespace kovo::desktop::ui::imgui
