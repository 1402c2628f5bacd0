// Off Windows narrow texts (file paths above all) are UTF-8, so the user's
// code page is UTF-8 and nothing needs a "?".
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

std::string ToNarrow(const std::wstring& text) { return ToUtf8(text); }

std::wstring FromNarrow(const std::string& text) { return ToWide(text); }

}  // namespace kovo::plugin::web::installer
