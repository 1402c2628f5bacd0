#include "kovo-ui-imgui/fonts/embedded_fonts.h"

#include "embedded/embedded_icon_font.h"
#include "embedded/embedded_text_font.h"

namespace kovo::desktop::ui::imgui {

EmbeddedFont EmbeddedTextFont() {
  return {kovo::embedded::text_font, kovo::embedded::text_font_size};
}

EmbeddedFont EmbeddedIconFont() {
  return {kovo::embedded::icon_font, kovo::embedded::icon_font_size};
}

// Dear ImGui's Cyrillic set plus the dashes, ellipsis and numero sign that
// Russian texts use and that set lacks; the embedded text font is cut to the
// same ranges.
const ImWchar* TextGlyphRanges() {
  static const ImWchar ranges[] = {
      0x0020, 0x00FF,  // Basic Latin, Latin-1 Supplement
      0x0400, 0x052F,  // Cyrillic, Cyrillic Supplement
      0x2013, 0x2014,  // en and em dash
      0x2026, 0x2026,  // ellipsis
      0x2116, 0x2116,  // numero sign
      0x2DE0, 0x2DFF,  // Cyrillic Extended-A
      0xA640, 0xA69F,  // Cyrillic Extended-B
      0,
  };
  return ranges;
}

// The icons, and the blank that separates them and stands in for a code
// point the font lacks (Dear ImGui would otherwise draw its last glyph).
const ImWchar* IconGlyphRanges() {
  static const ImWchar ranges[] = {0x0020, 0x0020, 0xE600, 0xEB56, 0};
  return ranges;
}

}  // namespace kovo::desktop::ui::imgui
