#include "installer/controller/utf16_line_reader.h"


namespace kovo::plugin::web::installer {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

// The log's UTF-16 as UTF-8, whatever the width of wchar_t (ToUtf8 joins
// surrogate pairs only where wchar_t has 16 bits). A lone surrogate becomes
// U+FFFD, so that one damaged character never hides the rest of a line.
void AppendUtf16AsUtf8(const std::u16string& units, std::string& out) {
  for (std::size_t at = 0; at < units.size(); ++at) {
    char32_t codePoint = units[at];
    if (IsHighSurrogate(codePoint) && at + 1 < units.size() && IsLowSurrogate(units[at + 1])) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<char32_t>(units[at + 1]) - 0xDC00);
      ++at;
    } else if (IsHighSurrogate(codePoint) || IsLowSurrogate(codePoint)) {
      codePoint = kReplacementCharacter;
    }
    AppendCodePoint(codePoint, out);
  }
}

}  // namespace

Utf16LeLineReader::Utf16LeLineReader(std::FILE* file)
    : file_(file), buffer_(new unsigned char[kBufferBytes]) {
  units_.reserve(1024);
}

bool Utf16LeLineReader::Refill() {
  // A unit may straddle two reads: keep its first byte.
  const std::size_t kept = filled_ - position_;
  if (kept > 0) buffer_[0] = buffer_[position_];
  position_ = 0;
  filled_ = kept + std::fread(buffer_.get() + kept, 1, kBufferBytes - kept, file_);
  if (std::ferror(file_)) failed_ = true;
  return filled_ - position_ >= 2;
}

bool Utf16LeLineReader::NextUnit(char16_t& unit) {
  if (filled_ - position_ < 2 && (failed_ || !Refill())) return false;
  unit = static_cast<char16_t>(buffer_[position_] | (buffer_[position_ + 1] << 8));
  position_ += 2;
  return true;
}

bool Utf16LeLineReader::ReadLine(std::string& line) {
  units_.clear();
  bool sawAnything = false;
  char16_t unit = 0;
  while (NextUnit(unit)) {
    sawAnything = true;
    if (unit == u'\n') break;
    if (units_.size() < kMaxLineUnits) units_ += unit;
  }
  if (!sawAnything || failed_) return false;
  if (!units_.empty() && units_.back() == u'\r') units_.pop_back();
  line.clear();
  AppendUtf16AsUtf8(units_, line);
  return true;
}

}  // namespace kovo::plugin::web::installer
