#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "installer/staged_file.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer::file_io {

namespace {

std::string LastErrorText() { return std::error_code(errno, std::generic_category()).message(); }

}  // namespace

FileHandle CreateForWriting(const std::wstring& path, std::string& reason) {
  const int file = ::open(ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) {
    reason = LastErrorText();
    return kNoFile;
  }
  return file;
}

bool WriteAll(FileHandle file, const char* data, std::size_t size, std::string& reason) {
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(file), data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      reason = LastErrorText();
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool Close(FileHandle file, std::string& reason) {
  // Delayed write errors (a full disk on some file systems) surface here.
  if (::close(static_cast<int>(file)) != 0) {
    reason = LastErrorText();
    return false;
  }
  return true;
}

bool MoveReplacing(const std::wstring& from, const std::wstring& to, std::string& reason) {
  if (std::rename(ToUtf8(from).c_str(), ToUtf8(to).c_str()) != 0) {
    reason = LastErrorText();
    return false;
  }
  return true;
}

void RemoveFile(const std::wstring& path) { ::unlink(ToUtf8(path).c_str()); }

}  // namespace kovo::plugin::web::installer::file_io
