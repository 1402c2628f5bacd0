// Paths reach Windows in their wide form.
#include <windows.h>

#include "installer/staged_file.h"

namespace kovo::plugin::web::installer::file_io {

namespace {

std::string LastErrorText() { return "system error " + std::to_string(GetLastError()); }

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileHandle CreateForWriting(const std::wstring& path, std::string& reason) {
  // Shared for reading and writing, as files opened with _SH_DENYNO are.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = LastErrorText();
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(file);
}

bool WriteAll(FileHandle file, const char* data, std::size_t size, std::string& reason) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(file), data, chunk, &written, nullptr) || written == 0) {
      reason = LastErrorText();
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool Close(FileHandle file, std::string& reason) {
  if (!CloseHandle(AsHandle(file))) {
    reason = LastErrorText();
    return false;
  }
  return true;
}

bool MoveReplacing(const std::wstring& from, const std::wstring& to, std::string& reason) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    reason = LastErrorText();
    return false;
  }
  return true;
}

void RemoveFile(const std::wstring& path) { DeleteFileW(path.c_str()); }

}  // namespace kovo::plugin::web::installer::file_io
