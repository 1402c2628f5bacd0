// Text exchange with the system clipboard.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kovo::desktop::ui::imgui {

class TextClipboard {
 public:
  virtual ~TextClipboard() = default;
  // UTF-8. False when the clipboard could not take the text.
  virtual bool SetText(std::string_view utf8) = 0;
  // UTF-8; empty when the clipboard holds no text or cannot be opened.
  virtual std::optional<std::string> GetText() = 0;
};

}  // namespace kovo::desktop::ui::imgui
