// The TrueType fonts compiled into the program.
#pragma once

#include <cstddef>
#include <cstdint>

#include <imgui.h>

namespace kovo::desktop::ui::imgui {

struct EmbeddedFont {
  const std::uint8_t* data;
  std::size_t size;
};

// Latin and Cyrillic text, used when the system text font is missing.
EmbeddedFont EmbeddedTextFont();
// The icons the views draw, in the private-use block U+E600 to U+EB56.
EmbeddedFont EmbeddedIconFont();

// Glyph ranges (ImGui's zero-terminated pairs) of the text fonts and of the
// icon font.
const ImWchar* TextGlyphRanges();
const ImWchar* IconGlyphRanges();

}  // namespace kovo::desktop::ui::imgui
