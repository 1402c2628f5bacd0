// Reads a UTF-16 little-endian text file line by line as UTF-8, with a
// bounded amount of memory whatever the file's size.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace kovo::plugin::web::installer {

class Utf16LeLineReader {
 public:
  // A line longer than this keeps only its first units; the rest is skipped
  // up to the line feed. Windows Installer log lines are far shorter.
  static constexpr std::size_t kMaxLineUnits = 64 * 1024;

  explicit Utf16LeLineReader(std::FILE* file);

  // The next line without its line feed and without one carriage return
  // before it. A byte-order mark is text like any other and stays at the
  // start of the first line. Units that do not decode become U+FFFD; an odd
  // last byte is dropped. False at the end of the file or on a read error.
  bool ReadLine(std::string& line);

  // A read error (not the end of the file) ended the reading.
  bool Failed() const { return failed_; }

 private:
  bool NextUnit(char16_t& unit);
  bool Refill();

  std::FILE* file_;
  std::unique_ptr<unsigned char[]> buffer_;  // not zeroed: fread fills what is used
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  bool failed_ = false;
  std::u16string units_;
};

}  // namespace kovo::plugin::web::installer
