// Images on the graphics device, usable as Dear ImGui texture ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kovo::desktop::ui::imgui {

// The layout of the pixels a caller supplies.
enum class PixelFormat : std::int32_t {
  Rgba = 0,  // red, green, blue, alpha
  Bgra = 1,  // blue, green, red, alpha
  Rgb = 2,   // red, green, blue
  Bgr = 3,   // blue, green, red
};

class Texture {
 public:
  // GUI thread only: it goes through the device's immediate context. From any
  // other thread it is refused with false (and logged) and the image stays as
  // it was; give a texture made elsewhere its pixels when creating it
  // (GraphicsDevice::CreateTexture with pixels).
  // Replaces the whole image. `pixels` must hold exactly width x height pixels
  // of the texture's format; any other size is refused with false.
  virtual bool Update(const std::vector<std::uint8_t>& pixels) = 0;
  // Any thread. The texture as a Dear ImGui texture id; null when the device
  // could not create it, and such a texture must not be drawn.
  virtual void* GetHandle() const = 0;
  virtual ~Texture() = default;
};

// Bytes per pixel the caller supplies; empty for an unknown format.
std::optional<int> SuppliedBytesPerPixel(PixelFormat format);

// The device texture format of a pixel format (DXGI numbering): 28 for the
// red-first formats, 87 for the blue-first ones; empty for an unknown format.
std::optional<int> TextureFormatNumber(PixelFormat format);

// width x height x bytes per pixel, or empty when a dimension is not positive,
// the format is unknown or the size does not fit in memory.
std::optional<std::size_t> ImageByteCount(int width, int height, int bytes_per_pixel);

// Copies caller pixels into a four-byte-per-pixel staging buffer that already
// holds width x height x 4 bytes: three-byte pixels get 255 as their fourth
// byte. False, with the buffer untouched, when `pixels` is not exactly one
// image of the format.
bool StagePixels(PixelFormat format, const std::vector<std::uint8_t>& pixels,
                 std::vector<std::uint8_t>& staging);

}  // namespace kovo::desktop::ui::imgui
