#include "installer/text_conversion.h"

#include <cstdint>

namespace kovo::plugin::web::installer {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one code point at text[at]; returns the number of bytes it took, or
// 0 when the bytes there are not a valid (shortest, non-surrogate) sequence.
std::size_t DecodeUtf8(const std::string& text, std::size_t at, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    minimum = 0x80;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    minimum = 0x800;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    minimum = 0x10000;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(byte)) return 0;
    codePoint = (codePoint << 6) | (byte & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

void AppendWide(std::wstring& out, char32_t codePoint) {
  if (kWideIsUtf16 && codePoint >= 0x10000) {
    const char32_t offset = codePoint - 0x10000;
    out += static_cast<wchar_t>(0xD800 + (offset >> 10));
    out += static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
  } else {
    out += static_cast<wchar_t>(codePoint);
  }
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// Reads one code point of a text of UTF-16 units (or of UTF-32 units where
// `joinsSurrogates` is false), joining surrogate pairs.
template <typename Units>
std::size_t DecodeUnits(const Units& text, std::size_t at, bool joinsSurrogates, char32_t& codePoint) {
  const auto unit = static_cast<std::uint32_t>(text[at]);
  if (joinsSurrogates && unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size()) {
    const auto low = static_cast<std::uint32_t>(text[at + 1]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      return 2;
    }
  }
  const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
  codePoint = (surrogate || unit > 0x10FFFF) ? kReplacement : static_cast<char32_t>(unit);
  return 1;
}

template <typename Units>
void AppendUnitsAsUtf8(const Units& text, bool joinsSurrogates, std::string& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t codePoint = 0;
    at += DecodeUnits(text, at, joinsSurrogates, codePoint);
    AppendUtf8(out, codePoint);
  }
}

}  // namespace

std::wstring ToWide(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t at = 0;
  while (at < utf8.size()) {
    char32_t codePoint = 0;
    const std::size_t length = DecodeUtf8(utf8, at, codePoint);
    AppendWide(out, length ? codePoint : kReplacement);
    at += length ? length : 1;
  }
  return out;
}

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  AppendUnitsAsUtf8(text, kWideIsUtf16, out);
  return out;
}

void AppendUtf16AsUtf8(const std::u16string& text, std::string& out) {
  AppendUnitsAsUtf8(text, true, out);
}

}  // namespace kovo::plugin::web::installer
