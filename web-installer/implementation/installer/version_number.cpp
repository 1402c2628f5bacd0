#include "installer/version_number.h"

#include <cwctype>

#include "installer/format_string.h"

namespace kovo::plugin::web::installer {

namespace {

// One "%d": true and the value when a number was read at position.
bool ReadNumber(const std::wstring& text, size_t& position, std::int32_t& value) {
  size_t at = position;
  while (at < text.size() && std::iswspace(static_cast<wint_t>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) {
    negative = text[at] == L'-';
    ++at;
  }
  const size_t digitsStart = at;
  std::uint32_t magnitude = 0;
  while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(text[at] - L'0');
    ++at;
  }
  if (at == digitsStart) return false;
  value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
  position = at;
  return true;
}

}  // namespace

VersionNumber VersionNumber::Parse(const std::wstring& text) {
  VersionNumber version;
  size_t position = 0;
  for (size_t part = 0; part < version.parts.size(); ++part) {
    if (part > 0) {
      if (position >= text.size() || text[position] != L'.') break;
      ++position;
    }
    if (!ReadNumber(text, position, version.parts[part])) break;
  }
  return version;
}

std::string VersionNumber::ToString() const {
  return FormatString("%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]);
}

bool operator==(const VersionNumber& a, const VersionNumber& b) { return a.parts == b.parts; }
bool operator!=(const VersionNumber& a, const VersionNumber& b) { return !(a == b); }
bool operator<(const VersionNumber& a, const VersionNumber& b) { return a.parts < b.parts; }

}  // namespace kovo::plugin::web::installer
