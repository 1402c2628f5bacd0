// Translation between the framework's key numbers and the platform's key codes.
#pragma once

#include <cstdint>
#include <optional>

namespace kovo::desktop::ui::imgui {

// The framework's key number.
using Key = std::uint8_t;

class KeyMapper {
 public:
  virtual ~KeyMapper() = default;
  virtual std::optional<int> ToNative(Key key) const = 0;
  virtual std::optional<Key> FromNative(int native_key) const = 0;
};

// Windows virtual-key codes. Plain numbers, so the tables build and are tested
// on every platform.
class Win32KeyMapper final : public KeyMapper {
 public:
  struct Pair {
    Key key;
    int virtual_key;
  };

  // Searches the normal table, then the extended one.
  std::optional<int> ToNative(Key key) const override;
  // Searches the normal table only: keys that exist only with the extended-key
  // flag (navigation block, right-hand modifiers...) are never produced.
  std::optional<Key> FromNative(int virtual_key) const override;

  static const Pair* NormalTable(int& count);
  static const Pair* ExtendedTable(int& count);
};

}  // namespace kovo::desktop::ui::imgui
