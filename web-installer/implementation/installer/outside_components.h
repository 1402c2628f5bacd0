// What the installer fixes about the world outside it: the update server's
// paths (the packages' paths are in the install type table), the names of
// the downloaded files in the working folder, and the web addresses opened in
// the user's browser. Host names and the update server's port are build
// settings (kovo_settings.h).
#pragma once

#include <kovo_settings.h>

#include <chrono>
#include <string>

namespace kovo::plugin::web::installer {

// ---------------------------------------------------------------------------
// Update server (plain HTTP)

// Its first line is the offered version, four numbers joined by dots.
inline constexpr char kVersionFileServerPath[] = "/Kovo3Plugin/master/win32/version.txt";

inline constexpr char kVersionFileName[] = "version.txt";
inline constexpr char kPackageFileName[] = "kovo3plugin-setup.msi";

// How long a download from the update server may wait on the network.
//   connect: to establish the connection, for each address of the host;
//   read:    silence, that is time without a single byte, while waiting for
//            the response and between blocks of the body;
//   total:   the whole transfer, name resolution included (zero: no limit).
struct DownloadLimits {
  std::chrono::milliseconds connect;
  std::chrono::milliseconds read;
  std::chrono::milliseconds total;
};

// The version check runs while the window is frozen (the probe holds the
// application lock, nothing is drawn), so a server that swallows packets must
// lead to the failure page quickly: all in all 15 s. Its connect limit of
// 10 s still covers the first try and both of Windows' own SYN retries (sent
// after 3 s and 9 s), so a link that loses a packet or two still gets through;
// a 5 s pause inside a response a few bytes long means the server is stuck.
inline constexpr DownloadLimits kVersionCheckLimits{
    std::chrono::seconds(10), std::chrono::seconds(5), std::chrono::seconds(15)};

// The package download runs on the progress page, whose bar moves and whose
// cancel works all the time, so waiting longer costs the user nothing, while
// giving up makes him start over. 20 s to connect is about as long as Windows
// itself keeps trying (21 s); a mobile link that drops out for a while (a
// tunnel, a handover, a crowded cell) is given a full minute of silence; a
// large package on a slow link may take an hour, so there is no total limit.
inline constexpr DownloadLimits kPackageDownloadLimits{
    std::chrono::seconds(20), std::chrono::seconds(60), std::chrono::milliseconds::zero()};

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
