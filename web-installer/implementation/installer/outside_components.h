// What the installer fixes about the world outside it: the update server's
// paths (the packages' paths are in the install type table), the names of
// the downloaded files in the working folder, and the web addresses opened in
// the user's browser. Host names and the update server's port are build
// settings (kovo_settings.h).
#pragma once

#include <kovo_settings.h>

#include <string>

namespace kovo::plugin::web::installer {

// ---------------------------------------------------------------------------
// Update server (plain HTTP)

// Its first line is the offered version, four numbers joined by dots.
inline constexpr char kVersionFileServerPath[] = "/Kovo3Plugin/master/win32/version.txt";

inline constexpr char kVersionFileName[] = "version.txt";
inline constexpr char kPackageFileName[] = "kovo3plugin-setup.msi";

// ---------------------------------------------------------------------------
// Web addresses (nothing is read back from them)

inline constexpr char kOnlinePortalCheckPath[] = "/reg/?check=KOVOPlugin";
inline constexpr char kProductSiteLicencePath[] = "/reglament";
inline constexpr char kProductSiteSupportPath[] = "/support";

// path: "/..." (the start page when empty).
inline std::string OnlinePortalAddress(const std::string& path) {
  return std::string("https://") + settings::kOnlinePortalHost + path;
}
inline std::string HelpPortalAddress(const std::string& path = "/") {
  return std::string("https://") + settings::kHelpPortalHost + path;
}
inline std::string ProductSiteAddress(const std::string& path) {
  return std::string("https://") + settings::kProductSiteHost + path;
}
// The support page is the one page of the product web site on plain HTTP.
inline std::string ProductSiteSupportAddress() {
  return std::string("http://") + settings::kProductSiteHost + kProductSiteSupportPath;
}

}  // namespace kovo::plugin::web::installer
