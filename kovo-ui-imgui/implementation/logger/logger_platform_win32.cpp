#include "logger/logger_platform.h"

#include <share.h>
#include <stdio.h>
#include <windows.h>

namespace kovo::desktop::ui::imgui::logger_platform {

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

bool CurrentSessionId(std::uint32_t& session) {
  DWORD value = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &value)) return false;
  session = value;
  return true;
}

std::uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

bool AppendRecord(const std::wstring& path, std::string_view record) {
  // Text mode turns the line end into CR LF. _SH_DENYNO lets other programs
  // read, rotate or delete the file between (and during) our records.
  FILE* file = _wfsopen(path.c_str(), L"at", _SH_DENYNO);
  if (!file) return false;
  bool written = fwrite(record.data(), 1, record.size(), file) == record.size() &&
                 fputc('\n', file) != EOF && fflush(file) == 0;
  written = fclose(file) == 0 && written;
  return written;
}

}  // namespace kovo::desktop::ui::imgui::logger_platform
