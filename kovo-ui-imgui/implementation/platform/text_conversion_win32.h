// UTF-8 inside the framework, UTF-16 at the Windows boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kovo::desktop::ui::imgui {

std::wstring Utf8ToWide(std::string_view text);
// Converts at most `max_units` units, stopping at a terminator.
std::string WideToUtf8(const wchar_t* text, std::size_t max_units);

}  // namespace kovo::desktop::ui::imgui
