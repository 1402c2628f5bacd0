// Conversions between UTF-8 (the program's inner text) and the platform's wide
// text (UTF-16 on Windows, UTF-32 elsewhere) for the msiexec runs and their
// logs. Strict in both directions: a command line built from a path that
// cannot be converted exactly would name another file, so these raise instead.
#pragma once

#include <cstddef>
#include <string>

namespace kovo::plugin::web::installer {

// Raises std::range_error for a lone surrogate or a value beyond U+10FFFF.
std::string WideToUtf8(const std::wstring& text);

// Raises std::range_error for malformed UTF-8 (overlong forms, surrogates,
// truncated sequences, values beyond U+10FFFF).
std::wstring Utf8ToWide(const std::string& text);

// For text read back from a log: what cannot be decoded (a lone surrogate)
// becomes U+FFFD, so that one damaged character never hides the rest of a line.
void AppendUtf16AsUtf8(const char16_t* units, std::size_t count, std::string& out);

}  // namespace kovo::plugin::web::installer
