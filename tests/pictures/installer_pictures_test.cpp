// The built-in pictures: every one decodes to the size its id promises, with
// transparency exactly where it is laid over the page.
#include "installer/views/installer_pictures.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <memory>
#include <ostream>
#include <set>
#include <string>

namespace kovo::plugin::web::installer {
namespace {

enum class Backdrop { Opaque, Transparent };

struct Expected {
  PictureId id;
  const char* name;
  int width;
  int height;
  Backdrop backdrop;  // transparent ones are drawn straight onto the page
};

// clang-format off
const Expected kPictures[] = {
    {PictureId::HeaderRu,        "HeaderRu",        800, 230, Backdrop::Opaque},
    {PictureId::HeaderEn,        "HeaderEn",        800, 230, Backdrop::Opaque},
    {PictureId::LogoRu,          "LogoRu",          165,  80, Backdrop::Transparent},
    {PictureId::LogoEn,          "LogoEn",          165,  80, Backdrop::Transparent},
    {PictureId::FolderIcon,      "FolderIcon",       14,  11, Backdrop::Transparent},
    {PictureId::WarningIcon,     "WarningIcon",      17,  16, Backdrop::Transparent},
    {PictureId::SupportOperator, "SupportOperator", 134, 132, Backdrop::Transparent},
    {PictureId::Slide1,          "Slide1",          440, 289, Backdrop::Opaque},
    {PictureId::Slide2,          "Slide2",          440, 289, Backdrop::Opaque},
    {PictureId::Slide3,          "Slide3",          440, 289, Backdrop::Opaque},
    {PictureId::Slide4,          "Slide4",          440, 289, Backdrop::Opaque},
    {PictureId::SuccessRu,       "SuccessRu",       400, 220, Backdrop::Opaque},
    {PictureId::SuccessEn,       "SuccessEn",       400, 220, Backdrop::Opaque},
};
// clang-format on

void PrintTo(const Expected& expected, std::ostream* out) { *out << expected.name; }

constexpr int kChannels = 4;
constexpr int kAlphaChannel = 3;
constexpr unsigned char kOpaque = 255;

struct Decoded {
  std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, stbi_image_free};
  int width = 0;
  int height = 0;

  unsigned char Alpha(int x, int y) const {
    return pixels.get()[(static_cast<std::size_t>(y) * width + x) * kChannels + kAlphaChannel];
  }
};

Decoded Decode(const PictureBytes& picture) {
  Decoded decoded;
  int channelsInFile = 0;
  decoded.pixels.reset(stbi_load_from_memory(picture.data, static_cast<int>(picture.size),
                                             &decoded.width, &decoded.height, &channelsInFile,
                                             kChannels));
  return decoded;
}

class PictureTest : public ::testing::TestWithParam<Expected> {};

TEST_P(PictureTest, DecodesToItsPromisedSizeWithTheRightBackdrop) {
  const Expected& expected = GetParam();
  const PictureBytes picture = GetPicture(expected.id);
  ASSERT_NE(picture.data, nullptr);
  EXPECT_EQ(picture.width, expected.width);
  EXPECT_EQ(picture.height, expected.height);

  const Decoded decoded = Decode(picture);
  ASSERT_NE(decoded.pixels, nullptr) << stbi_failure_reason();
  EXPECT_EQ(decoded.width, expected.width);
  EXPECT_EQ(decoded.height, expected.height);

  int transparent = 0;
  int opaque = 0;
  for (int y = 0; y < decoded.height; ++y) {
    for (int x = 0; x < decoded.width; ++x) {
      const unsigned char a = decoded.Alpha(x, y);
      transparent += a == 0;
      opaque += a == kOpaque;
    }
  }
  const int all = decoded.width * decoded.height;
  if (expected.backdrop == Backdrop::Opaque) {
    EXPECT_EQ(opaque, all) << "every pixel covers what lies beneath";
  } else {
    // Every one of them leaves its top left corner to the page.
    EXPECT_EQ(decoded.Alpha(0, 0), 0);
    EXPECT_GT(opaque, 0) << "the picture shows something";
    EXPECT_GT(transparent, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(AllPictures, PictureTest, ::testing::ValuesIn(kPictures),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                           return std::string(info.param.name);
                         });

TEST(Pictures, TheTableCoversEveryIdAndEveryIdHasItsOwnPicture) {
  ASSERT_EQ(std::size(kPictures), static_cast<std::size_t>(kPictureCount));
  std::set<const unsigned char*> seen;
  for (int index = 0; index < kPictureCount; ++index) {
    EXPECT_EQ(static_cast<int>(kPictures[index].id), index);
    const PictureBytes picture = GetPicture(static_cast<PictureId>(index));
    EXPECT_GT(picture.size, 0u);
    EXPECT_TRUE(seen.insert(picture.data).second) << "id " << index << " repeats a picture";
  }
}

TEST(Pictures, TheLanguagesHaveDifferentLettering) {
  const std::pair<PictureId, PictureId> pairs[] = {
      {PictureId::HeaderRu, PictureId::HeaderEn},
      {PictureId::LogoRu, PictureId::LogoEn},
      {PictureId::SuccessRu, PictureId::SuccessEn},
  };
  for (const auto& [russian, english] : pairs) {
    const PictureBytes ru = GetPicture(russian);
    const PictureBytes en = GetPicture(english);
    EXPECT_FALSE(ru.size == en.size && std::equal(ru.data, ru.data + ru.size, en.data))
        << static_cast<int>(russian);
  }
}

TEST(Pictures, AnIdOutsideTheEnumerationGivesNothing) {
  for (const int outside : {-1, kPictureCount, kPictureCount + 1, 1000}) {
    const PictureBytes picture = GetPicture(static_cast<PictureId>(outside));
    EXPECT_EQ(picture.data, nullptr) << outside;
    EXPECT_EQ(picture.size, 0u) << outside;
    EXPECT_EQ(picture.width, 0) << outside;
    EXPECT_EQ(picture.height, 0) << outside;
  }
}

}  // namespace
}  // namespace kovo::plugin::web::installer
