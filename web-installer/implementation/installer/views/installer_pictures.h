// The installer's thirteen pictures, built into the program as PNG bytes.
// Any thread may call; the bytes are static and never change.
#pragma once

#include <cstddef>

namespace kovo::plugin::web::installer {

// In the order the page view creates its textures.
enum class PictureId : int {
  HeaderRu = 0,     // 800 x 230: laptop on a desk, Russian product logo
  HeaderEn,         // 800 x 230: the same, English logo
  LogoRu,           // 165 x 80: product logo, Russian, for the dark page
  LogoEn,           // 165 x 80: product logo, English
  FolderIcon,       // 14 x 11
  WarningIcon,      // 17 x 16: orange warning triangle
  SupportOperator,  // 134 x 132: support operator with headset
  Slide1,           // 440 x 289: the four feature slides
  Slide2,
  Slide3,
  Slide4,
  SuccessRu,        // 400 x 220: success picture, Russian product name
  SuccessEn,        // 400 x 220: the same, English
};

inline constexpr int kPictureCount = 13;

struct PictureBytes {
  const unsigned char* data = nullptr;  // a complete PNG file
  std::size_t size = 0;
  int width = 0;   // the picture's pixel size, as the PNG header gives it
  int height = 0;
};

// Never fails for an id of the enumeration; any other id gives empty bytes.
PictureBytes GetPicture(PictureId id);

}  // namespace kovo::plugin::web::installer
