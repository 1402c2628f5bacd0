#include "platform/text_conversion_win32.h"

#include <climits>

#include <windows.h>

namespace kovo::desktop::ui::imgui {

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int length = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), units);
  return wide;
}

std::string WideToUtf8(const wchar_t* text, std::size_t max_units) {
  if (!text) return {};
  std::size_t length = 0;
  while (length < max_units && text[length] != L'\0') ++length;
  if (length == 0 || length > static_cast<std::size_t>(INT_MAX)) return {};
  const int units = static_cast<int>(length);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, units, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

}  // namespace kovo::desktop::ui::imgui
