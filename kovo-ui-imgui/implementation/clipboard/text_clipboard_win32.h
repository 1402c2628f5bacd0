// The system clipboard's text, owned by the main window while it is set.
#pragma once

#include <memory>

#include "kovo-ui-imgui/clipboard/text_clipboard.h"
#include "kovo-ui-imgui/graphics/window.h"

namespace kovo::desktop::ui::imgui {

class TextClipboardWin32 final : public TextClipboard {
 public:
  static std::unique_ptr<TextClipboardWin32> Create(Window& window);

  bool SetText(std::string_view utf8) override;
  std::optional<std::string> GetText() override;

 private:
  explicit TextClipboardWin32(Window& window) : window_(&window) {}

  Window* window_;
};

}  // namespace kovo::desktop::ui::imgui
