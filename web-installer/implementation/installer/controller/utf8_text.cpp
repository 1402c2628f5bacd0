#include "installer/controller/utf8_text.h"

#include <stdexcept>

namespace kovo::plugin::web::installer {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

void AppendCodePoint(char32_t codePoint, std::string& out) {
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

void AppendWideCodePoint(char32_t codePoint, std::wstring& out) {
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

struct Utf8Lead {
  std::size_t length;
  char32_t bits;
  char32_t smallest;  // anything below has a shorter form and is rejected
};

Utf8Lead ClassifyLead(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return {2, lead & 0x1Fu, 0x80};
  if ((lead & 0xF0) == 0xE0) return {3, lead & 0x0Fu, 0x800};
  if ((lead & 0xF8) == 0xF0) return {4, lead & 0x07u, 0x10000};
  throw std::range_error("invalid UTF-8 lead byte");
}

// One UTF-8 sequence starting at `at`; advances `at` past it.
char32_t DecodeUtf8(const std::string& text, std::size_t& at) {
  const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  if (byte(at) < 0x80) return byte(at++);
  const Utf8Lead lead = ClassifyLead(byte(at));
  if (text.size() - at < lead.length) throw std::range_error("truncated UTF-8 sequence");
  char32_t codePoint = lead.bits;
  for (std::size_t i = 1; i < lead.length; ++i) {
    const unsigned char next = byte(at + i);
    if ((next & 0xC0) != 0x80) throw std::range_error("invalid UTF-8 continuation byte");
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < lead.smallest || codePoint > kLastCodePoint || IsSurrogate(codePoint)) {
    throw std::range_error("invalid UTF-8 sequence");
  }
  at += lead.length;
  return codePoint;
}

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t codePoint = static_cast<char32_t>(text[at]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (IsHighSurrogate(codePoint) && at + 1 < text.size() &&
          IsLowSurrogate(static_cast<char32_t>(text[at + 1]))) {
        codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<char32_t>(text[at + 1]) - 0xDC00);
        ++at;
      }
    }
    if (IsSurrogate(codePoint) || codePoint > kLastCodePoint) throw std::range_error("invalid wide text");
    AppendCodePoint(codePoint, out);
  }
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) AppendWideCodePoint(DecodeUtf8(text, at), out);
  return out;
}

void AppendUtf16AsUtf8(const char16_t* units, std::size_t count, std::string& out) {
  for (std::size_t at = 0; at < count; ++at) {
    char32_t codePoint = units[at];
    if (IsHighSurrogate(codePoint) && at + 1 < count && IsLowSurrogate(units[at + 1])) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<char32_t>(units[at + 1]) - 0xDC00);
      ++at;
    } else if (IsSurrogate(codePoint)) {
      codePoint = kReplacementCharacter;
    }
    AppendCodePoint(codePoint, out);
  }
}

}  // namespace kovo::plugin::web::installer
