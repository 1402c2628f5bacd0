// What each install type means outside the options page: its name in the
// install history, its package on the update server, and the disk space it
// needs. Built before main runs and never changed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "installer/page_data.h"

namespace kovo::plugin::web::installer {

struct InstallTypeInfo {
  std::string name;         // the install history's install type
  std::string packagePath;  // absolute path on the update server
  std::int32_t spaceMb = 0;  // megabytes; the free-space check asks for twice this
};

extern const std::map<InstallTypes, InstallTypeInfo> InstallTypeTable;

}  // namespace kovo::plugin::web::installer
