#include "logger/logger_platform.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace kovo::desktop::ui::imgui::logger_platform {

namespace {
// Log paths are wide in the program; on this platform files are named in UTF-8.
std::string Utf8Path(const std::wstring& path) {
  std::string out;
  for (wchar_t wc : path) {
    auto c = static_cast<std::uint32_t>(wc);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
}  // namespace

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

// The POSIX counterpart of a Terminal Services session is the process's session.
bool CurrentSessionId(std::uint32_t& session) {
  const pid_t sid = getsid(0);
  if (sid < 0) return false;
  session = static_cast<std::uint32_t>(sid);
  return true;
}

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

bool AppendRecord(const std::wstring& path, std::string_view record) {
  if (path.empty()) return false;
  FILE* file = std::fopen(Utf8Path(path).c_str(), "a");
  if (!file) return false;
  bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size() &&
                 std::fputc('\n', file) != EOF && std::fflush(file) == 0;
  written = std::fclose(file) == 0 && written;
  return written;
}

}  // namespace kovo::desktop::ui::imgui::logger_platform
