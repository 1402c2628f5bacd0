#include "kovo-ui-imgui/graphics/texture.h"

#include <algorithm>
#include <limits>

namespace kovo::desktop::ui::imgui {

std::optional<int> SuppliedBytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Rgba:
    case PixelFormat::Bgra:
      return 4;
    case PixelFormat::Rgb:
    case PixelFormat::Bgr:
      return 3;
  }
  return std::nullopt;
}

std::optional<int> TextureFormatNumber(PixelFormat format) {
  constexpr int kR8G8B8A8Unorm = 28;
  constexpr int kB8G8R8A8Unorm = 87;
  switch (format) {
    case PixelFormat::Rgba:
    case PixelFormat::Rgb:
      return kR8G8B8A8Unorm;
    case PixelFormat::Bgra:
    case PixelFormat::Bgr:
      return kB8G8R8A8Unorm;
  }
  return std::nullopt;
}

std::optional<std::size_t> ImageByteCount(int width, int height, int bytes_per_pixel) {
  if (width <= 0 || height <= 0 || bytes_per_pixel <= 0) return std::nullopt;
  const auto limit = std::numeric_limits<std::size_t>::max();
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  const auto bpp = static_cast<std::size_t>(bytes_per_pixel);
  if (w > limit / h || w * h > limit / bpp) return std::nullopt;
  return w * h * bpp;
}

bool StagePixels(PixelFormat format, const std::vector<std::uint8_t>& pixels,
                 std::vector<std::uint8_t>& staging) {
  const auto bytes_per_pixel = SuppliedBytesPerPixel(format);
  if (!bytes_per_pixel || staging.size() % 4 != 0) return false;
  const std::size_t pixel_count = staging.size() / 4;
  if (pixels.size() != pixel_count * static_cast<std::size_t>(*bytes_per_pixel)) return false;

  if (*bytes_per_pixel == 4) {
    std::copy(pixels.begin(), pixels.end(), staging.begin());
    return true;
  }
  const std::uint8_t* source = pixels.data();
  std::uint8_t* target = staging.data();
  for (std::size_t i = 0; i < pixel_count; ++i, source += 3, target += 4) {
    target[0] = source[0];
    target[1] = source[1];
    target[2] = source[2];
    target[3] = 255;
  }
  return true;
}

}  // namespace kovo::desktop::ui::imgui
