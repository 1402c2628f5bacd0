#include "kovo-ui-imgui/fonts/font_cache.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include <imgui.h>

#include "kovo-ui-imgui/fonts/embedded_fonts.h"

namespace kovo::desktop::ui::imgui {

namespace {

// A file is taken for a font when it can be read and starts like a TrueType
// or OpenType font. Dear ImGui checks nothing before its atlas build, where a
// file that is not a font stops the whole build (and asserts in debug builds);
// a file that merely has a different content is then the user's own business.
bool LooksLikeFont(const std::vector<std::uint8_t>& data) {
  if (data.size() < 12) return false;
  static const unsigned char kSignatures[][4] = {
      {0x00, 0x01, 0x00, 0x00}, {'t', 'r', 'u', 'e'}, {'O', 'T', 'T', 'O'}, {'t', 'y', 'p', '1'}};
  for (const auto& signature : kSignatures) {
    if (std::memcmp(data.data(), signature, 4) == 0) return true;
  }
  return false;
}

std::optional<std::vector<std::uint8_t>> ReadUsableFont(const FontFileReader& read_file,
                                                        const char* path) {
  auto data = read_file ? read_file(path) : std::nullopt;
  if (!data || !LooksLikeFont(*data)) return std::nullopt;
  return data;
}

// The atlas copies the data it is given when it does not own it, so neither
// the embedded arrays nor the file buffers need to outlive this call.
//
// Horizontal oversampling: 2 instead of ImGui's 3 for text halves the atlas
// (2048 x 2048 instead of 2048 x 4096 for the seventeen faces, 16 MB less as
// a texture, and a faster first frame with a software device) for a
// difference ImGui itself calls minimal; pixel-snapped icons need none.
ImFont* AddFont(ImFontAtlas& atlas, const std::uint8_t* data, std::size_t size, float pixels,
                const ImWchar* ranges, bool pixel_snap = false) {
  ImFontConfig config;
  config.FontDataOwnedByAtlas = false;
  config.PixelSnapH = pixel_snap;
  config.OversampleH = pixel_snap ? 1 : 2;
  return atlas.AddFontFromMemoryTTF(const_cast<std::uint8_t*>(data), static_cast<int>(size), pixels,
                                    &config, ranges);
}

ImFont* AddEmbeddedText(ImFontAtlas& atlas, float pixels) {
  const EmbeddedFont font = EmbeddedTextFont();
  return AddFont(atlas, font.data, font.size, pixels, TextGlyphRanges());
}

}  // namespace

const std::vector<FontRequest>& FontCache::Requests() {
  static const std::vector<FontRequest> requests = [] {
    std::vector<FontRequest> list;
    for (std::uint8_t size : {16, 17, 19, 20, 21, 23, 25, 37, 42, 52}) {
      list.push_back({FontKind::Regular, size});
    }
    list.push_back({FontKind::Bold, 15});
    for (std::uint8_t size : {13, 14, 15, 16, 18, 22}) list.push_back({FontKind::Icons, size});
    return list;
  }();
  return requests;
}

FontCache FontCache::Build(ImFontAtlas& atlas) { return Build(atlas, ReadFontFile); }

FontCache FontCache::Build(ImFontAtlas& atlas, const FontFileReader& read_file) {
  FontCache cache;
  const auto regular = ReadUsableFont(read_file, kRegularFontFile);
  cache.system_regular_ = regular.has_value();
  const EmbeddedFont icons = EmbeddedIconFont();

  for (const FontRequest& request : Requests()) {
    const float pixels = request.size;
    ImFont* font = nullptr;
    switch (request.kind) {
      case FontKind::Regular:
        font = regular ? AddFont(atlas, regular->data(), regular->size(), pixels, TextGlyphRanges())
                       : AddEmbeddedText(atlas, pixels);
        break;
      case FontKind::Bold:
        // Tried for every bold request: the bold file does not depend on the
        // regular one being there.
        if (const auto bold = ReadUsableFont(read_file, kBoldFontFile)) {
          font = AddFont(atlas, bold->data(), bold->size(), pixels, TextGlyphRanges());
        } else {
          font = AddEmbeddedText(atlas, pixels);
        }
        break;
      case FontKind::Icons:
        font = AddFont(atlas, icons.data, icons.size, pixels, IconGlyphRanges(), true);
        break;
    }
    cache.entries_.push_back({request, font});
  }
  atlas.Build();
  cache.default_font_ = atlas.Fonts.empty() ? nullptr : atlas.Fonts[0];
  return cache;
}

ImFont* FontCache::Get(const FontRequest& request) const {
  for (const Entry& entry : entries_) {
    if (entry.request == request) return entry.font;
  }
  return default_font_;
}

std::optional<std::vector<std::uint8_t>> ReadFontFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)),
                                 std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  return data;
}

}  // namespace kovo::desktop::ui::imgui
