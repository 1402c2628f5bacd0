// UTF-8 <-> wide text for values whose encoding is UTF-8 by definition (the
// install folder in PageData). Wide is UTF-16 on Windows and UTF-32 elsewhere.
// Malformed input never throws: each bad sequence becomes U+FFFD.
#pragma once

#include <string>

namespace kovo::plugin::web::installer {

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

}  // namespace kovo::plugin::web::installer
