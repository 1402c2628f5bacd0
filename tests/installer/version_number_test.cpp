#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "installer/format_string.h"
#include "installer/version_number.h"

namespace installer = kovo::plugin::web::installer;
using installer::VersionNumber;

TEST(VersionNumber, ParsesLikeScanningFourDottedNumbers) {
  const struct {
    std::wstring text;
    std::string expected;
  } cases[] = {
      {L"21.6225.55.0", "21.6225.55.0"},
      {L"21.6225.55", "21.6225.55.0"},
      {L"7", "7.0.0.0"},
      {L"", "0.0.0.0"},
      {L"abc", "0.0.0.0"},
      {L"\xEF\xBB\xBF" L"21.6225.56.0", "0.0.0.0"},  // a UTF-8 byte-order mark read byte by byte
      {L"\xFEFF" L"21.6225.56.0", "0.0.0.0"},
      {L" \t21. 6225.\n56.1", "21.6225.56.1"},  // white space before a number is skipped
      {L"21 .6225", "21.0.0.0"},                 // but not before a dot
      {L"1.2.3.4.5 trailing", "1.2.3.4"},
      {L"1.2.3.4\r\n", "1.2.3.4"},
      {L"-1.+2.3", "-1.2.3.0"},
      {L"1..3", "1.0.0.0"},
      {L"1.x.3", "1.0.0.0"},
      {L"4294967297.2", "1.2.0.0"},  // beyond 32 bits wraps instead of misbehaving
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VersionNumber::Parse(c.text).ToString(), c.expected)
        << std::string(c.text.begin(), c.text.end());
  }
}

TEST(VersionNumber, OrdersPartByPartAsSignedNumbers) {
  auto v = [](const wchar_t* text) { return VersionNumber::Parse(text); };
  EXPECT_LT(v(L"21.6225.55.0"), v(L"21.6225.56"));
  EXPECT_FALSE(v(L"21.6225.56") < v(L"21.6225.55.0"));
  EXPECT_EQ(v(L"21.6225.55"), v(L"21.6225.55.0"));
  EXPECT_FALSE(v(L"21.6225.55") < v(L"21.6225.55.0"));
  EXPECT_LT(v(L"1.9.9.9"), v(L"2"));
  EXPECT_LT(v(L"-1"), v(L""));
  EXPECT_LT(v(L""), v(L"0.0.0.1"));
  EXPECT_NE(v(L"1.2.3.4"), v(L"1.2.3.5"));
}

TEST(FormatString, FormatsResultsOfAnyLength) {
  EXPECT_EQ(installer::FormatString("%d.%d.%d.%d", 21, 6225, -55, 0), "21.6225.-55.0");
  EXPECT_EQ(installer::FormatString("plain"), "plain");
  EXPECT_EQ(installer::FormatString("%s", ""), "");
  const std::string longText(5000, 'x');
  EXPECT_EQ(installer::FormatString("[%s]", longText.c_str()), "[" + longText + "]");
  EXPECT_EQ(installer::FormatString("%s|%s", "Программы", "a b"), "Программы|a b");
}

#if !defined(_WIN32)
// glibc reports an encoding error for a wide character the "C" locale cannot
// represent; that is how a negative length arises.
TEST(FormatString, ANegativeLengthRaisesTheFormattingError) {
  try {
    installer::FormatString("%ls", L"\x20AC");
    FAIL() << "no error raised";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Error during formatting.");
  }
}
#endif
