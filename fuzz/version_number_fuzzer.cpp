// Any text as a version: parsing must neither crash nor overflow, its text
// form must read back as the same version, and the order must stay strict.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "installer/version_number.h"

namespace installer = kovo::plugin::web::installer;

namespace {

// Two bytes a character, so that digits, dots, signs and blanks are near.
std::wstring WideText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t at = 0; at + 1 < size; at += 2) {
    text += static_cast<wchar_t>(data[at] | (data[at + 1] << 8));
  }
  return text;
}

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t half = (size / 2) & ~std::size_t{1};
  const installer::VersionNumber a = installer::VersionNumber::Parse(WideText(data, half));
  const installer::VersionNumber b = installer::VersionNumber::Parse(WideText(data + half, size - half));

  if (installer::VersionNumber::Parse(Widened(a.ToString())) != a) std::abort();
  if (a < a) std::abort();
  if (a < b && b < a) std::abort();
  if (a != b && !(a < b) && !(b < a)) std::abort();
  return 0;
}
