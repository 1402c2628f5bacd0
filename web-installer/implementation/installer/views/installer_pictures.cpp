#include "installer/views/installer_pictures.h"

#include <cstdint>
#include <limits>

#include "embedded/embedded_picture_folder.h"
#include "embedded/embedded_picture_header_en.h"
#include "embedded/embedded_picture_header_ru.h"
#include "embedded/embedded_picture_logo_en.h"
#include "embedded/embedded_picture_logo_ru.h"
#include "embedded/embedded_picture_slide_annotated_screenshot.h"
#include "embedded/embedded_picture_slide_cloud_folders.h"
#include "embedded/embedded_picture_slide_remote_control.h"
#include "embedded/embedded_picture_slide_video_call.h"
#include "embedded/embedded_picture_success_en.h"
#include "embedded/embedded_picture_success_ru.h"
#include "embedded/embedded_picture_support_operator.h"
#include "embedded/embedded_picture_warning.h"

namespace kovo::plugin::web::installer {

namespace {

// A PNG file starts with its 8-byte signature and then the IHDR chunk: a
// 4-byte length, the 4-byte type, then width and height, big-endian.
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kPngSignatureSize = sizeof(kPngSignature);
constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kWidthOffset = kPngSignatureSize + kChunkHeaderSize;
constexpr std::size_t kHeightOffset = kWidthOffset + 4;
constexpr std::size_t kSizeEnd = kHeightOffset + 4;
constexpr unsigned char kHeaderChunkType[] = {'I', 'H', 'D', 'R'};

std::uint32_t ReadBigEndian32(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// The built-in files are PNG images made by our build; a file that is not
// still gives its bytes, with no size, rather than a size read from garbage.
PictureBytes Describe(const std::uint8_t* data, std::size_t size) {
  PictureBytes picture;
  picture.data = data;
  picture.size = size;
  if (size < kSizeEnd) return picture;
  for (std::size_t i = 0; i < kPngSignatureSize; ++i) {
    if (data[i] != kPngSignature[i]) return picture;
  }
  for (std::size_t i = 0; i < sizeof(kHeaderChunkType); ++i) {
    if (data[kPngSignatureSize + 4 + i] != kHeaderChunkType[i]) return picture;
  }
  const std::uint32_t width = ReadBigEndian32(data + kWidthOffset);
  const std::uint32_t height = ReadBigEndian32(data + kHeightOffset);
  // PNG limits both to 2^31 - 1; anything larger is not a PNG size.
  constexpr auto kLargest = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
  if (width > kLargest || height > kLargest) return picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  return picture;
}

}  // namespace

PictureBytes GetPicture(PictureId id) {
  using namespace kovo::embedded;
  switch (id) {
    case PictureId::HeaderRu:
      return Describe(picture_header_ru, picture_header_ru_size);
    case PictureId::HeaderEn:
      return Describe(picture_header_en, picture_header_en_size);
    case PictureId::LogoRu:
      return Describe(picture_logo_ru, picture_logo_ru_size);
    case PictureId::LogoEn:
      return Describe(picture_logo_en, picture_logo_en_size);
    case PictureId::FolderIcon:
      return Describe(picture_folder, picture_folder_size);
    case PictureId::WarningIcon:
      return Describe(picture_warning, picture_warning_size);
    case PictureId::SupportOperator:
      return Describe(picture_support_operator, picture_support_operator_size);
    case PictureId::Slide1:
      return Describe(picture_slide_remote_control, picture_slide_remote_control_size);
    case PictureId::Slide2:
      return Describe(picture_slide_video_call, picture_slide_video_call_size);
    case PictureId::Slide3:
      return Describe(picture_slide_cloud_folders, picture_slide_cloud_folders_size);
    case PictureId::Slide4:
      return Describe(picture_slide_annotated_screenshot, picture_slide_annotated_screenshot_size);
    case PictureId::SuccessRu:
      return Describe(picture_success_ru, picture_success_ru_size);
    case PictureId::SuccessEn:
      return Describe(picture_success_en, picture_success_en_size);
  }
  return {};
}

}  // namespace kovo::plugin::web::installer
