// printf-style formatting into a narrow string.
#pragma once

#include <string>

namespace kovo::plugin::web::installer {

#if defined(__GNUC__)
#define KOVO_PRINTF_FORMAT(format_index, first_arg) __attribute__((format(printf, format_index, first_arg)))
#else
#define KOVO_PRINTF_FORMAT(format_index, first_arg)
#endif

// Measures the result first, then writes it. A negative measurement (an
// encoding error) raises std::runtime_error("Error during formatting.").
std::string FormatString(const char* format, ...) KOVO_PRINTF_FORMAT(1, 2);

}  // namespace kovo::plugin::web::installer
