#include "installer/format_string.h"

#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace kovo::plugin::web::installer {

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) {
    va_end(args);
    throw std::runtime_error("Error during formatting.");
  }
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  return std::string(buffer.data(), static_cast<size_t>(length));
}

}  // namespace kovo::plugin::web::installer
