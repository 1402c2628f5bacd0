// Every font the application draws with, at every size, loaded into Dear
// ImGui's atlas once when the GUI context is created.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ImFont;
struct ImFontAtlas;

namespace kovo::desktop::ui::imgui {

enum class FontKind : std::int32_t {
  Regular = 0,
  Bold = 1,
  Icons = 2,
};

struct FontRequest {
  FontKind kind = FontKind::Regular;
  std::uint8_t size = 16;  // pixels
};

inline bool operator==(const FontRequest& a, const FontRequest& b) {
  return a.kind == b.kind && a.size == b.size;
}

// Reads a font file; empty when it cannot be read.
using FontFileReader =
    std::function<std::optional<std::vector<std::uint8_t>>(const std::string& path)>;

// The system's text font files, tried before the embedded text font.
inline constexpr const char* kRegularFontFile = "C:\\Windows\\Fonts\\segoeui.ttf";
inline constexpr const char* kBoldFontFile = "C:\\Windows\\Fonts\\segoeuib.ttf";

class FontCache {
 public:
  struct Entry {
    FontRequest request;
    ImFont* font = nullptr;  // owned by the atlas
  };

  // The requests, in the order they are loaded. The first one is ImGui's
  // default font.
  static const std::vector<FontRequest>& Requests();

  // Loads every request into the atlas and builds it. Must run on the GUI
  // thread, before the atlas texture is uploaded.
  static FontCache Build(ImFontAtlas& atlas, const FontFileReader& read_file);
  static FontCache Build(ImFontAtlas& atlas);  // the files of this computer

  // The font loaded for the request; ImGui's default font for a request that
  // is not in the list.
  ImFont* Get(const FontRequest& request) const;
  const std::vector<Entry>& Entries() const { return entries_; }
  // Whether the regular text came from the system font file.
  bool UsesSystemRegularFont() const { return system_regular_; }

 private:
  std::vector<Entry> entries_;
  ImFont* default_font_ = nullptr;
  bool system_regular_ = false;
};

// Reads a whole file; empty when it cannot be read. The reader FontCache uses
// on a real computer.
std::optional<std::vector<std::uint8_t>> ReadFontFile(const std::string& path);

}  // namespace kovo::desktop::ui::imgui
