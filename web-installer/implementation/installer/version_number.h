// A plugin version: four signed 32-bit parts, ordered part by part.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kovo::plugin::web::installer {

struct VersionNumber {
  std::array<std::int32_t, 4> parts{0, 0, 0, 0};

  // Reads the text the way swscanf reads "%d.%d.%d.%d": white space before a
  // number is skipped, an optional sign, digits; parts not found stay 0
  // ("21.6225.55" is 21.6225.55.0; empty or non-numeric text is 0.0.0.0);
  // anything after the fourth number is ignored. Numbers beyond the 32-bit
  // range wrap around instead of being undefined.
  static VersionNumber Parse(const std::wstring& text);

  std::string ToString() const;  // "%d.%d.%d.%d"
};

bool operator==(const VersionNumber& a, const VersionNumber& b);
bool operator!=(const VersionNumber& a, const VersionNumber& b);
bool operator<(const VersionNumber& a, const VersionNumber& b);

}  // namespace kovo::plugin::web::installer
