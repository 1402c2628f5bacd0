#include "clipboard/text_clipboard_win32.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/text_conversion_win32.h"

namespace kovo::desktop::ui::imgui {

namespace {

// The clipboard, open for the lifetime of the object.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// Global memory, freed unless handed over to the clipboard.
class GlobalMemory {
 public:
  explicit GlobalMemory(std::size_t bytes) : handle_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
  ~GlobalMemory() {
    if (handle_) GlobalFree(handle_);
  }
  GlobalMemory(const GlobalMemory&) = delete;
  GlobalMemory& operator=(const GlobalMemory&) = delete;
  HGLOBAL Get() const { return handle_; }
  HGLOBAL Release() { return std::exchange(handle_, nullptr); }

 private:
  HGLOBAL handle_;
};

// A locked global memory block, unlocked when the object goes.
class GlobalLock {
 public:
  explicit GlobalLock(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
  ~GlobalLock() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLock(const GlobalLock&) = delete;
  GlobalLock& operator=(const GlobalLock&) = delete;
  void* Data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace

std::unique_ptr<TextClipboardWin32> TextClipboardWin32::Create(Window& window) {
  return std::unique_ptr<TextClipboardWin32>(new TextClipboardWin32(window));
}

bool TextClipboardWin32::SetText(std::string_view utf8) {
  // Converted by its length: the view need not be followed by a terminator.
  std::wstring wide = Utf8ToWide(utf8);
  if (wide.empty() && !utf8.empty()) return false;
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);

  GlobalMemory memory(bytes);
  if (!memory.Get()) return false;
  {
    GlobalLock lock(memory.Get());
    if (!lock.Data()) return false;
    std::memcpy(lock.Data(), wide.c_str(), bytes);
  }

  OpenClipboardScope clipboard(static_cast<HWND>(window_->GetHandle()));
  if (!clipboard.IsOpen()) return false;
  EmptyClipboard();
  if (!SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
  // The clipboard owns the memory now.
  memory.Release();
  return true;
}

std::optional<std::string> TextClipboardWin32::GetText() {
  OpenClipboardScope clipboard(static_cast<HWND>(window_->GetHandle()));
  if (!clipboard.IsOpen()) return std::nullopt;
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::nullopt;
  GlobalLock lock(data);
  if (!lock.Data()) return std::nullopt;
  // Another program's data: never read past its block, terminated or not.
  const std::size_t units = GlobalSize(data) / sizeof(wchar_t);
  return WideToUtf8(static_cast<const wchar_t*>(lock.Data()), units);
}

}  // namespace kovo::desktop::ui::imgui
