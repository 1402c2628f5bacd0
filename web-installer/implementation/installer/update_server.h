// Where the installer's files come from and where they go: the update
// server's paths (the packages' paths are in the install type table) and the
// names of the downloaded files in the working folder. The server's host and
// port are build settings (kovo_settings.h).
#pragma once

namespace kovo::plugin::web::installer {

// Its first line is the offered version, four numbers joined by dots.
inline constexpr char kVersionFileServerPath[] = "/Kovo3Plugin/master/win32/version.txt";

inline constexpr char kVersionFileName[] = "version.txt";
inline constexpr char kPackageFileName[] = "kovo3plugin-setup.msi";

}  // namespace kovo::plugin::web::installer
