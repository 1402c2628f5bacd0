#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include <imgui.h>

#include <kovo-ui-imgui/fonts/embedded_fonts.h>
#include <kovo-ui-imgui/fonts/font_cache.h>

namespace ui = kovo::desktop::ui::imgui;
using Bytes = std::vector<std::uint8_t>;

namespace {

// DejaVu files stand in for the system's Segoe UI files: what matters is
// which file each font was loaded from, told apart by size.
const std::string kRegularStandIn = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kBoldStandIn = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct SystemFiles {
  std::map<std::string, Bytes> files;
  std::map<std::string, int> reads;

  ui::FontFileReader Reader() {
    return [this](const std::string& path) -> std::optional<Bytes> {
      ++reads[path];
      const auto found = files.find(path);
      if (found == files.end()) return std::nullopt;
      return found->second;
    };
  }
};

Bytes Load(const std::string& path) {
  auto data = ui::ReadFontFile(path);
  EXPECT_TRUE(data) << path;
  return data.value_or(Bytes{});
}

enum class Source { EmbeddedText, EmbeddedIcons, SystemRegular, SystemBold };

Source SourceOf(const ImFont* font, const SystemFiles& system) {
  const auto size = static_cast<std::size_t>(font->ConfigData->FontDataSize);
  if (size == ui::EmbeddedTextFont().size) return Source::EmbeddedText;
  if (size == ui::EmbeddedIconFont().size) return Source::EmbeddedIcons;
  const auto regular = system.files.find(ui::kRegularFontFile);
  if (regular != system.files.end() && size == regular->second.size()) return Source::SystemRegular;
  return Source::SystemBold;
}

}  // namespace

TEST(FontCache, LoadsTheSeventeenRequestsInOrderAndNothingElse) {
  ImFontAtlas atlas;
  SystemFiles none;
  const auto cache = ui::FontCache::Build(atlas, none.Reader());

  const auto& requests = ui::FontCache::Requests();
  ASSERT_EQ(requests.size(), 17u);
  ASSERT_EQ(atlas.Fonts.Size, 17);
  ASSERT_EQ(cache.Entries().size(), 17u);
  const int sizes[] = {16, 17, 19, 20, 21, 23, 25, 37, 42, 52, 15, 13, 14, 15, 16, 18, 22};
  for (int i = 0; i < 17; ++i) {
    const auto& entry = cache.Entries()[i];
    EXPECT_EQ(entry.request, requests[i]);
    EXPECT_EQ(entry.request.size, sizes[i]);
    EXPECT_EQ(entry.font, atlas.Fonts[i]) << i;
    EXPECT_FLOAT_EQ(entry.font->FontSize, static_cast<float>(sizes[i])) << i;
    const auto kind = i < 10    ? ui::FontKind::Regular
                      : i == 10 ? ui::FontKind::Bold
                                : ui::FontKind::Icons;
    EXPECT_EQ(entry.request.kind, kind) << i;
  }
  EXPECT_TRUE(atlas.IsBuilt());
}

TEST(FontCache, SystemFilesAreUsedWhenPresentAndTheEmbeddedTextFontOtherwise) {
  const Bytes regular = Load(kRegularStandIn);
  const Bytes bold = Load(kBoldStandIn);
  const Bytes not_a_font(4096, 'x');
  struct Case {
    const char* name;
    const Bytes* regular_file;
    const Bytes* bold_file;
    Source regular_source;
    Source bold_source;
  } cases[] = {
      {"no system files", nullptr, nullptr, Source::EmbeddedText, Source::EmbeddedText},
      {"both files", &regular, &bold, Source::SystemRegular, Source::SystemBold},
      {"regular only", &regular, nullptr, Source::SystemRegular, Source::EmbeddedText},
      {"bold only", nullptr, &bold, Source::EmbeddedText, Source::SystemBold},
      {"regular file is not a font", &not_a_font, &bold, Source::EmbeddedText, Source::SystemBold},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SystemFiles system;
    if (c.regular_file) system.files[ui::kRegularFontFile] = *c.regular_file;
    if (c.bold_file) system.files[ui::kBoldFontFile] = *c.bold_file;
    ImFontAtlas atlas;
    const auto cache = ui::FontCache::Build(atlas, system.Reader());

    ASSERT_EQ(atlas.Fonts.Size, 17);
    EXPECT_EQ(cache.UsesSystemRegularFont(), c.regular_source == Source::SystemRegular);
    for (const auto& entry : cache.Entries()) {
      const Source expected = entry.request.kind == ui::FontKind::Regular ? c.regular_source
                              : entry.request.kind == ui::FontKind::Bold  ? c.bold_source
                                                                          : Source::EmbeddedIcons;
      EXPECT_EQ(SourceOf(entry.font, system), expected)
          << int(entry.request.kind) << "/" << int(entry.request.size);
    }
    // The regular file is read once for all ten sizes.
    EXPECT_EQ(system.reads[ui::kRegularFontFile], 1);
  }
}

TEST(FontCache, GetAnswersTheCachedFontAndTheDefaultFontForAnythingElse) {
  ImFontAtlas atlas;
  SystemFiles none;
  const auto cache = ui::FontCache::Build(atlas, none.Reader());

  EXPECT_NE(cache.Get({ui::FontKind::Icons, 16}), cache.Get({ui::FontKind::Regular, 16}));
  EXPECT_EQ(cache.Get({ui::FontKind::Bold, 15}), atlas.Fonts[10]);
  EXPECT_EQ(cache.Get({ui::FontKind::Icons, 22}), atlas.Fonts[16]);
  // Not in the list: ImGui's default font, the first one loaded.
  EXPECT_EQ(cache.Get({ui::FontKind::Regular, 18}), atlas.Fonts[0]);
  EXPECT_EQ(cache.Get({ui::FontKind::Bold, 16}), atlas.Fonts[0]);
  EXPECT_EQ(cache.Get({static_cast<ui::FontKind>(7), 16}), atlas.Fonts[0]);
}

TEST(FontCache, TextFontsCarryRussianTextAndOnlyIconFontsCarryIcons) {
  ImFontAtlas atlas;
  SystemFiles none;
  const auto cache = ui::FontCache::Build(atlas, none.Reader());
  // Cyrillic letters, Latin, and the punctuation of Russian texts that ImGui's
  // Cyrillic range lacks.
  const ImWchar text_characters[] = {u'К', u'О', u'В',   u'ё',   u'Ї',   u'A',  u'z',
                                     u'«', u'»', 0x2013, 0x2014, 0x2026, 0x2116};
  const ImWchar icons[] = {0xE600, 0xEA2F, 0xEAE5, 0xEAEC};

  for (const auto& entry : cache.Entries()) {
    const bool icon_font = entry.request.kind == ui::FontKind::Icons;
    SCOPED_TRACE(std::to_string(int(entry.request.kind)) + "/" +
                 std::to_string(entry.request.size));
    for (ImWchar c : text_characters) {
      EXPECT_EQ(entry.font->FindGlyphNoFallback(c) != nullptr, !icon_font) << std::hex << c;
    }
    for (ImWchar c : icons) {
      const ImFontGlyph* glyph = entry.font->FindGlyphNoFallback(c);
      EXPECT_EQ(glyph != nullptr, icon_font) << std::hex << c;
      if (!glyph) continue;
      // Drawn in the middle of the line, so that it centres with text.
      const float middle = (glyph->Y0 + glyph->Y1) / 2;
      EXPECT_NEAR(middle, entry.font->FontSize / 2, 1.0f) << std::hex << c;
    }
    if (icon_font) {
      // A code point without an icon draws nothing, not some other icon.
      const ImFontGlyph* missing = entry.font->FindGlyph(0xE601);
      ASSERT_NE(missing, nullptr);
      EXPECT_FALSE(missing->Visible);
    }
  }
}
