#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include <stb_image_write.h>

#include <kovo-ui-imgui/graphics/image.h>
#include <kovo-ui-imgui/graphics/texture.h>
#include <kovo-ui-imgui/headless/null_gui_context.h>

namespace ui = kovo::desktop::ui::imgui;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Staging(int width, int height) {
  return Bytes(static_cast<std::size_t>(width * height * 4), 0xAA);
}

// A PNG made in memory, so that decoding is tested on real encoder output.
Bytes EncodePng(int width, int height, int channels, const Bytes& pixels) {
  Bytes png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<Bytes*>(context);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out->insert(out->end(), bytes, bytes + size);
      },
      &png, width, height, channels, pixels.data(), width * channels);
  return png;
}

}  // namespace

TEST(TextureStaging, ThreeBytePixelsGetAnOpaqueFourthByteAndFourBytePixelsAreCopied) {
  const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 2 x 2
  struct Case {
    ui::PixelFormat format;
    Bytes pixels;
    Bytes staged;
  } cases[] = {
      {ui::PixelFormat::Rgb, rgb, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}},
      {ui::PixelFormat::Bgr, rgb, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}},
      {ui::PixelFormat::Rgba,
       {1, 2, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
       {1, 2, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {ui::PixelFormat::Bgra,
       {1, 2, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
       {1, 2, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
  };
  for (const auto& c : cases) {
    Bytes staging = Staging(2, 2);
    ASSERT_TRUE(ui::StagePixels(c.format, c.pixels, staging)) << static_cast<int>(c.format);
    EXPECT_EQ(staging, c.staged) << static_cast<int>(c.format);
  }
}

TEST(TextureStaging, APixelBufferOfAnotherSizeIsRefusedAndNothingIsWritten) {
  struct Case {
    ui::PixelFormat format;
    std::size_t size;
  } cases[] = {
      {ui::PixelFormat::Rgb, 0},
      {ui::PixelFormat::Rgb, 11},
      {ui::PixelFormat::Rgb, 13},
      {ui::PixelFormat::Rgb, 16},
      {ui::PixelFormat::Rgba, 12},
      {ui::PixelFormat::Rgba, 15},
      {ui::PixelFormat::Bgra, 17},
      {ui::PixelFormat::Bgr, 4},
      {static_cast<ui::PixelFormat>(7), 16},
  };
  for (const auto& c : cases) {
    Bytes staging = Staging(2, 2);
    EXPECT_FALSE(ui::StagePixels(c.format, Bytes(c.size, 1), staging))
        << static_cast<int>(c.format) << " with " << c.size << " bytes";
    EXPECT_EQ(staging, Staging(2, 2));
  }
}

TEST(TextureStaging, FormatsMapToTheirDeviceFormatsAndSizesNeverOverflow) {
  EXPECT_EQ(ui::TextureFormatNumber(ui::PixelFormat::Rgba), 28);
  EXPECT_EQ(ui::TextureFormatNumber(ui::PixelFormat::Rgb), 28);
  EXPECT_EQ(ui::TextureFormatNumber(ui::PixelFormat::Bgra), 87);
  EXPECT_EQ(ui::TextureFormatNumber(ui::PixelFormat::Bgr), 87);
  EXPECT_FALSE(ui::TextureFormatNumber(static_cast<ui::PixelFormat>(4)));

  EXPECT_EQ(ui::ImageByteCount(64, 32, 4), 64u * 32u * 4u);
  EXPECT_FALSE(ui::ImageByteCount(0, 32, 4));
  EXPECT_FALSE(ui::ImageByteCount(-2, -2, 4));
  const int huge = std::numeric_limits<int>::max();
  if (sizeof(std::size_t) == 4) {
    EXPECT_FALSE(ui::ImageByteCount(huge, huge, 4));
  } else {
    EXPECT_EQ(ui::ImageByteCount(huge, huge, 4), std::size_t(huge) * std::size_t(huge) * 4u);
  }
}

TEST(ImageDecoding, APngBecomesAnRgbaTextureOfItsSize) {
  // Three pixels in a row, red, green and half-transparent blue.
  const Bytes pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128};
  const Bytes png = EncodePng(3, 1, 4, pixels);
  ui::NullWindow window(100, 100, true);
  ui::NullGraphicsDevice device(window);

  auto texture = ui::CreateTextureFromImage(device, png.data(), png.size());
  ASSERT_TRUE(texture);
  auto& null_texture = static_cast<ui::NullTexture&>(*texture);
  EXPECT_EQ(null_texture.Width(), 3);
  EXPECT_EQ(null_texture.Height(), 1);
  EXPECT_EQ(null_texture.Format(), ui::PixelFormat::Rgba);
  EXPECT_EQ(null_texture.Staging(), pixels);
  EXPECT_NE(texture->GetHandle(), nullptr);

  // Grey and RGB images come out as four channels too.
  const Bytes grey_png = EncodePng(2, 1, 1, {0, 200});
  const auto grey = ui::DecodeImage(grey_png.data(), grey_png.size());
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->pixels, (Bytes{0, 0, 0, 255, 200, 200, 200, 255}));
}

TEST(ImageDecoding, BytesThatAreNotACompleteImageGiveNoTexture) {
  const Bytes png = EncodePng(4, 4, 3, Bytes(48, 7));
  const Bytes truncated(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
  const Bytes not_png = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  ui::NullWindow window(100, 100, true);
  ui::NullGraphicsDevice device(window);

  EXPECT_FALSE(ui::CreateTextureFromImage(device, truncated.data(), truncated.size()));
  EXPECT_FALSE(ui::CreateTextureFromImage(device, not_png.data(), not_png.size()));
  EXPECT_FALSE(ui::CreateTextureFromImage(device, nullptr, 0));
  EXPECT_FALSE(ui::DecodeImage(png.data(), 0));
}
