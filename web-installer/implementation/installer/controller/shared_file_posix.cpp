// POSIX files take no share modes: every open is shared.
#include <exception>

#include "installer/controller/shared_file.h"
#include "installer/controller/utf8_text.h"

namespace kovo::plugin::web::installer {

FileHandle OpenSharedForReading(const std::wstring& path) {
  try {
    return FileHandle(std::fopen(WideToUtf8(path).c_str(), "rb"));
  } catch (const std::exception&) {
    return FileHandle();
  }
}

}  // namespace kovo::plugin::web::installer
