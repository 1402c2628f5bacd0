// POSIX files take no share modes: every open is shared.
#include "installer/controller/shared_file.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

FileHandle OpenSharedForReading(const std::wstring& path) {
  return FileHandle(std::fopen(ToNarrow(path).c_str(), "rb"));
}

}  // namespace kovo::plugin::web::installer
