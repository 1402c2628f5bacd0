#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

#include <kovo-ui-imgui/graphics/key_mapper.h>

namespace ui = kovo::desktop::ui::imgui;

namespace {

struct Translation {
  int from;
  std::optional<int> to;
};

}  // namespace

TEST(Win32KeyMapper, ToNativeSearchesTheNormalTableThenTheExtendedOne) {
  const ui::Win32KeyMapper mapper;
  // clang-format off
  const Translation cases[] = {
      {4, 13},      // Enter
      {102, 13},    // keypad Enter: extended table only
      {32, 44},     // Print Screen: found in the normal table first
      {100, 33},    // keypad Page Up
      {23, 33},     // navigation-block Page Up: extended table
      {27, 37},     // Left arrow, extended
      {94, 37},     // keypad Left
      {48, 65},     // A
      {73, 90},     // Z
      {105, 112},   // F1
      {128, 135},   // F24
      {131, 146},
      {142, 165},   // right Alt
      {171, 222},   // apostrophe
      {0, std::nullopt},
      {5, std::nullopt},
      {255, std::nullopt},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(mapper.ToNative(static_cast<ui::Key>(c.from)), c.to) << "key " << c.from;
  }
}

TEST(Win32KeyMapper, FromNativeNeverProducesKeysOfTheExtendedTable) {
  const ui::Win32KeyMapper mapper;
  // clang-format off
  const Translation cases[] = {
      {13, 4},      // Enter, never keypad Enter
      {33, 100},    // keypad Page Up, never 23
      {37, 94},     // keypad Left, never 27
      {44, 32},
      {8, 1},
      {222, 171},
      {91, std::nullopt},   // Windows key: extended only
      {144, std::nullopt},  // Num Lock: extended only
      {161, std::nullopt},  // right Shift: extended only
      {0, std::nullopt},
      {-1, std::nullopt},
      {1000, std::nullopt},
  };
  // clang-format on
  for (const auto& c : cases) {
    const auto key = mapper.FromNative(c.from);
    EXPECT_EQ(key ? std::optional<int>(*key) : std::nullopt, c.to) << "virtual key " << c.from;
  }
}

TEST(Win32KeyMapper, TablesHaveTheirSizesAndEveryNormalPairRoundTrips) {
  int normal_count = 0;
  int extended_count = 0;
  const auto* normal = ui::Win32KeyMapper::NormalTable(normal_count);
  const auto* extended = ui::Win32KeyMapper::ExtendedTable(extended_count);
  ASSERT_EQ(normal_count, 109);
  ASSERT_EQ(extended_count, 20);

  const ui::Win32KeyMapper mapper;
  std::set<int> keys;
  std::set<int> virtual_keys;
  for (int i = 0; i < normal_count; ++i) {
    keys.insert(normal[i].key);
    virtual_keys.insert(normal[i].virtual_key);
    EXPECT_EQ(mapper.ToNative(normal[i].key), normal[i].virtual_key);
    EXPECT_EQ(mapper.FromNative(normal[i].virtual_key), normal[i].key);
  }
  // One pair per key and per virtual key: a duplicate would shadow a pair.
  EXPECT_EQ(keys.size(), 109u);
  EXPECT_EQ(virtual_keys.size(), 109u);

  std::set<int> extended_keys;
  for (int i = 0; i < extended_count; ++i) extended_keys.insert(extended[i].key);
  EXPECT_EQ(extended_keys.size(), 20u);
}
