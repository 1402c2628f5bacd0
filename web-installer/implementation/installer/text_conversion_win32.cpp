#include <windows.h>

#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

// The ANSI code page of the user's default locale. It can differ from the
// system's (CP_ACP) when the user chose another format language; narrow
// paths made here are also opened through this code page (FromNarrow), so
// both directions agree whatever the system locale is.
UINT UserAnsiCodePage() {
  DWORD codePage = 0;
  const int read = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                  reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR));
  // Locales without an ANSI code page (Unicode-only ones) report 0.
  return (read > 0 && codePage != 0) ? codePage : CP_ACP;
}

}  // namespace

std::string ToNarrow(const std::wstring& text) {
  if (text.empty()) return {};
  const UINT codePage = UserAnsiCodePage();
  const int wideLength = static_cast<int>(text.size());
  // Without WC_NO_BEST_FIT_CHARS Windows maps a missing character to a
  // look-alike ("Ω" to "O"), which turns a path into another existing path;
  // "?" cannot be part of a file name. UTF-7/UTF-8 take neither flag nor
  // default character (and represent everything anyway).
  const bool takesDefault = codePage != CP_UTF8 && codePage != CP_UTF7;
  const DWORD flags = takesDefault ? WC_NO_BEST_FIT_CHARS : 0;
  const char* defaultChar = takesDefault ? "?" : nullptr;
  const int length =
      WideCharToMultiByte(codePage, flags, text.data(), wideLength, nullptr, 0, defaultChar, nullptr);
  if (length <= 0) return std::string(text.size(), '?');
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), wideLength, out.data(), length, defaultChar, nullptr);
  return out;
}

std::wstring FromNarrow(const std::string& text) {
  if (text.empty()) return {};
  const UINT codePage = UserAnsiCodePage();
  const int narrowLength = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), narrowLength, nullptr, 0);
  if (length <= 0) return std::wstring(text.size(), L'?');
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), narrowLength, out.data(), length);
  return out;
}

}  // namespace kovo::plugin::web::installer
