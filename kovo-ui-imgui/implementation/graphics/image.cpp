#include "kovo-ui-imgui/graphics/image.h"

#include <stb_image.h>

#include <climits>

namespace kovo::desktop::ui::imgui {

namespace {
struct StbImageFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};
}  // namespace

std::optional<DecodedImage> DecodeImage(const std::uint8_t* data, std::size_t size) {
  if (!data || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  int width = 0;
  int height = 0;
  int channels_in_file = 0;
  std::unique_ptr<stbi_uc, StbImageFree> pixels(
      stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels_in_file, 4));
  if (!pixels) return std::nullopt;
  const auto byte_count = ImageByteCount(width, height, 4);
  if (!byte_count) return std::nullopt;

  DecodedImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(pixels.get(), pixels.get() + *byte_count);
  return image;
}

std::unique_ptr<Texture> CreateTextureFromImage(GraphicsDevice& device, const std::uint8_t* data,
                                                std::size_t size) {
  auto image = DecodeImage(data, size);
  if (!image) return nullptr;
  return device.CreateTexture(image->width, image->height, PixelFormat::Rgba, image->pixels);
}

}  // namespace kovo::desktop::ui::imgui
