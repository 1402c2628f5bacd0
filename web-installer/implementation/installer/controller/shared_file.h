// Opening a file that another process may still hold open.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace kovo::plugin::web::installer {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Binary reading, with reading and writing left open to other processes (the
// Windows Installer service may not have let go of its log yet). Empty when
// the file cannot be opened.
FileHandle OpenSharedForReading(const std::wstring& path);

}  // namespace kovo::plugin::web::installer
