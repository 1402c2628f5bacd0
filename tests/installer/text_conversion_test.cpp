#include <gtest/gtest.h>

#include <string>

#include "installer/text_conversion.h"

namespace {

namespace installer = kovo::plugin::web::installer;

TEST(TextConversion, Utf8AndWideRoundTrip) {
  const struct {
    const char* utf8;
    const wchar_t* wide;
  } cases[] = {
      {"", L""},
      {"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin", L"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin"},
      {"D:\\Программы\\КОВО", L"D:\\Программы\\КОВО"},
      {"\xe4\xb8\xad\xe6\x96\x87", L"\u4e2d\u6587"},
      {"\xf0\x9f\x98\x80 beyond the BMP", L"\U0001F600 beyond the BMP"},
      {"\xf4\x8f\xbf\xbf", L"\U0010FFFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(installer::ToWide(c.utf8), std::wstring(c.wide));
    EXPECT_EQ(installer::ToUtf8(c.wide), std::string(c.utf8));
  }
}

TEST(TextConversion, EveryByteThatIsNotUtf8BecomesOneReplacementCharacter) {
  const struct {
    const char* name;
    std::string utf8;
    std::wstring wide;
  } cases[] = {
      {"stray byte", "a\xff" "b", L"a\uFFFDb"},
      {"lone continuation", "\x80", L"\uFFFD"},
      {"cut off at the end", "ok\xd0", L"ok\uFFFD"},
      {"cut off by ASCII", "\xe4\xb8x", L"\uFFFD\uFFFDx"},
      {"overlong slash", "\xc0\xaf", L"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xed\xa0\x80", L"\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(installer::ToWide(c.utf8), c.wide);
  }
}

TEST(TextConversion, AnUnpairedSurrogateBecomesAReplacementCharacterInUtf8) {
  EXPECT_EQ(installer::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x"), "\xef\xbf\xbd" "x");
}

// Whatever the user's code page: a character is either represented exactly
// (and reads back as itself) or becomes "?", never a look-alike that would
// name another file.
TEST(TextConversion, NarrowTextIsExactOrAQuestionMark) {
  for (const wchar_t* text : {L"\u00e9", L"\u0416", L"\u03a9", L"\u4e2d", L"\u221e", L"\u0142", L"\U0001F600"}) {
    const std::string narrow = installer::ToNarrow(text);
    SCOPED_TRACE(installer::ToUtf8(text) + " -> " + narrow);
    const bool replaced = !narrow.empty() && narrow.find_first_not_of('?') == std::string::npos;
    EXPECT_TRUE(replaced || installer::FromNarrow(narrow) == text);
  }
  EXPECT_EQ(installer::ToNarrow(L"C:\\Temp\\KovoPlugin.Installer"), "C:\\Temp\\KovoPlugin.Installer");
  EXPECT_EQ(installer::FromNarrow("C:\\Temp\\version.txt"), L"C:\\Temp\\version.txt");
}

}  // namespace
