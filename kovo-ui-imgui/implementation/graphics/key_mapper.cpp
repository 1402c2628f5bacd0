#include "kovo-ui-imgui/graphics/key_mapper.h"

#include <array>

namespace kovo::desktop::ui::imgui {

namespace {

using Pair = Win32KeyMapper::Pair;

// Appends the pairs (first_key + i, first_virtual_key + i), i < count.
template <std::size_t N>
constexpr void AddRun(std::array<Pair, N>& table, std::size_t& used, int first_key,
                      int first_virtual_key, int count) {
  for (int i = 0; i < count; ++i) {
    table[used++] = Pair{static_cast<Key>(first_key + i), first_virtual_key + i};
  }
}

constexpr std::array<Pair, 109> MakeNormalTable() {
  std::array<Pair, 109> table{};
  std::size_t used = 0;
  AddRun(table, used, 1, 8, 2);     // Backspace, Tab
  AddRun(table, used, 3, 12, 2);    // Clear, Enter
  AddRun(table, used, 8, 19, 2);    // Pause, Caps Lock
  AddRun(table, used, 17, 27, 1);   // Escape
  AddRun(table, used, 22, 32, 1);   // Space
  AddRun(table, used, 32, 44, 1);   // Print Screen
  AddRun(table, used, 38, 48, 10);  // digits 0-9
  AddRun(table, used, 48, 65, 26);  // letters A-Z
  AddRun(table, used, 78, 96, 12);  // keypad 0-9, multiply, add
  AddRun(table, used, 91, 109, 2);  // keypad subtract, decimal
  // Without the extended-key flag the arrows, Home, End, Page Up/Down, Insert
  // and Delete are the keypad's keys.
  AddRun(table, used, 94, 37, 4);     // keypad arrows
  AddRun(table, used, 98, 36, 1);     // keypad Home
  AddRun(table, used, 99, 35, 1);     // keypad End
  AddRun(table, used, 100, 33, 2);    // keypad Page Up, Page Down
  AddRun(table, used, 103, 45, 2);    // keypad Insert, Delete
  AddRun(table, used, 105, 112, 24);  // F1-F24
  AddRun(table, used, 130, 145, 2);   // Scroll Lock, 146
  AddRun(table, used, 137, 160, 1);   // left Shift
  AddRun(table, used, 139, 162, 1);   // left Control
  AddRun(table, used, 141, 164, 1);   // left Alt
  AddRun(table, used, 161, 186, 6);   // ; = , - . / on a US layout
  AddRun(table, used, 167, 192, 1);   // grave accent
  AddRun(table, used, 168, 219, 3);   // [ \ ]
  AddRun(table, used, 171, 222, 1);   // apostrophe
  return used == table.size() ? table : throw "normal key table size";
}

constexpr std::array<Pair, 20> MakeExtendedTable() {
  std::array<Pair, 20> table{};
  std::size_t used = 0;
  AddRun(table, used, 23, 33, 2);    // Page Up, Page Down
  AddRun(table, used, 25, 35, 1);    // End
  AddRun(table, used, 26, 36, 1);    // Home
  AddRun(table, used, 27, 37, 4);    // Left, Up, Right, Down
  AddRun(table, used, 32, 44, 1);    // Print Screen
  AddRun(table, used, 35, 45, 2);    // Insert, Delete
  AddRun(table, used, 74, 91, 3);    // left and right Windows key, Applications key
  AddRun(table, used, 93, 111, 1);   // keypad divide
  AddRun(table, used, 102, 13, 1);   // keypad Enter
  AddRun(table, used, 129, 144, 1);  // Num Lock
  AddRun(table, used, 138, 161, 1);  // right Shift
  AddRun(table, used, 140, 163, 1);  // right Control
  AddRun(table, used, 142, 165, 1);  // right Alt
  return used == table.size() ? table : throw "extended key table size";
}

constexpr auto kNormalTable = MakeNormalTable();
constexpr auto kExtendedTable = MakeExtendedTable();

template <std::size_t N>
std::optional<int> FindKey(const std::array<Pair, N>& table, Key key) {
  for (const auto& pair : table) {
    if (pair.key == key) return pair.virtual_key;
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> Win32KeyMapper::ToNative(Key key) const {
  if (auto found = FindKey(kNormalTable, key)) return found;
  return FindKey(kExtendedTable, key);
}

std::optional<Key> Win32KeyMapper::FromNative(int virtual_key) const {
  for (const auto& pair : kNormalTable) {
    if (pair.virtual_key == virtual_key) return pair.key;
  }
  return std::nullopt;
}

const Pair* Win32KeyMapper::NormalTable(int& count) {
  count = static_cast<int>(kNormalTable.size());
  return kNormalTable.data();
}

const Pair* Win32KeyMapper::ExtendedTable(int& count) {
  count = static_cast<int>(kExtendedTable.size());
  return kExtendedTable.data();
}

}  // namespace kovo::desktop::ui::imgui
