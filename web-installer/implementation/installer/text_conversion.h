// Conversions between the program's UTF-8 texts, the platform's wide texts
// and the narrow texts of the user's code page. Pure functions, usable from
// any thread.
#pragma once

#include <string>

namespace kovo::plugin::web::installer {

// Wide -> narrow in the user's default ANSI code page on Windows (UTF-8
// elsewhere); every character the code page cannot represent becomes "?".
// The result is what narrow file paths and log lines are made of.
std::string ToNarrow(const std::wstring& text);

// The inverse of ToNarrow: narrow text of the user's code page -> wide. Used
// to open the narrow paths that ToNarrow produced as the same files.
std::wstring FromNarrow(const std::string& text);

// UTF-8 -> wide (code points up to 0x10FFFF; UTF-16 where wchar_t has 16
// bits). Bytes that are not valid UTF-8 become U+FFFD each.
std::wstring ToWide(const std::string& utf8);

// Wide -> UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const std::wstring& text);

// UTF-16 -> UTF-8 appended to `out`, whatever the width of wchar_t (for
// UTF-16 read from files); an unpaired surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(const std::u16string& text, std::string& out);

}  // namespace kovo::plugin::web::installer
