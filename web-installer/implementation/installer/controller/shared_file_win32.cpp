#include <share.h>
#include <stdio.h>

#include "installer/controller/shared_file.h"

namespace kovo::plugin::web::installer {

FileHandle OpenSharedForReading(const std::wstring& path) {
  return FileHandle(_wfsopen(path.c_str(), L"rb", _SH_DENYNO));
}

}  // namespace kovo::plugin::web::installer
