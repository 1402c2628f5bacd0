#include "installer/utf8_text.h"

#include <cstdint>

namespace kovo::plugin::web::installer {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

// One code point from position; position moves past what was consumed.
char32_t DecodeUtf8(const std::string& text, size_t& position) {
  const auto lead = static_cast<unsigned char>(text[position++]);
  if (lead < 0x80u) return lead;
  size_t length = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0u) == 0xC0u) {
    length = 1, value = lead & 0x1Fu, smallest = 0x80;
  } else if ((lead & 0xF0u) == 0xE0u) {
    length = 2, value = lead & 0x0Fu, smallest = 0x800;
  } else if ((lead & 0xF8u) == 0xF0u) {
    length = 3, value = lead & 0x07u, smallest = 0x10000;
  } else {
    return kReplacement;
  }
  for (size_t i = 0; i < length; ++i) {
    if (position >= text.size() || !IsContinuation(static_cast<unsigned char>(text[position]))) {
      return kReplacement;
    }
    value = (value << 6) | (static_cast<unsigned char>(text[position++]) & 0x3Fu);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  if (value < smallest || value > 0x10FFFF || surrogate) return kReplacement;
  return value;
}

void AppendWide(std::wstring& out, char32_t codePoint) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (codePoint >= 0x10000) {
      const char32_t offset = codePoint - 0x10000;
      out += static_cast<wchar_t>(0xD800 + (offset >> 10));
      out += static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(codePoint);
}

char32_t DecodeWide(const std::wstring& text, size_t& position) {
  const auto unit = static_cast<char32_t>(text[position++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (position < text.size()) {
        const auto low = static_cast<char32_t>(text[position]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          ++position;
          return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
      }
      return kReplacement;
    }
  }
  if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) return kReplacement;
  return unit;
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

}  // namespace

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring result;
  result.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) AppendWide(result, DecodeUtf8(text, position));
  return result;
}

std::string WideToUtf8(const std::wstring& text) {
  std::string result;
  result.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) AppendUtf8(result, DecodeWide(text, position));
  return result;
}

}  // namespace kovo::plugin::web::installer
