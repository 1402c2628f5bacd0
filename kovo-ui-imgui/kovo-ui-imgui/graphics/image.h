// Encoded images (PNG) decoded into textures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kovo-ui-imgui/graphics/graphics_device.h"

namespace kovo::desktop::ui::imgui {

struct DecodedImage {
  int width = 0;
  int height = 0;
  // Red, green, blue, alpha; width x height x 4 bytes.
  std::vector<std::uint8_t> pixels;
};

// Empty when the bytes are not an image that can be decoded.
std::optional<DecodedImage> DecodeImage(const std::uint8_t* data, std::size_t size);

// A texture of the decoded image (PixelFormat::Rgba), created with its pixels,
// so any thread may call it; empty when the bytes do not decode.
std::unique_ptr<Texture> CreateTextureFromImage(GraphicsDevice& device, const std::uint8_t* data,
                                                std::size_t size);

}  // namespace kovo::desktop::ui::imgui
