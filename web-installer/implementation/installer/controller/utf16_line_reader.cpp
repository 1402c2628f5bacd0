#include "installer/controller/utf16_line_reader.h"

#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

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
