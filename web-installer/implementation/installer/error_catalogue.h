// What the installer tells the user about a failed run: the error kinds with
// their texts and help links, and the tables that turn an msiexec exit code or
// a line of the Windows Installer log into a kind.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace kovo::plugin::web::installer {

// An error kind is a 32-bit number; 0 is "no error". Small numbers are the
// installer's own kinds, four- and five-digit ones Windows Installer numbers,
// 100 and 101 failures of the package's service actions.
using ErrorKind = std::int32_t;

inline constexpr ErrorKind kNoError = 0;
inline constexpr ErrorKind kInstallFailed = 1;            // the log names no known cause
inline constexpr ErrorKind kUnsupportedWindows = 2;       // older than Windows 7 SP1
inline constexpr ErrorKind kVersionCheckFailed = 3;       // no offered version from the update server
inline constexpr ErrorKind kWorkingFolderFailed = 4;      // the working folder cannot be made
inline constexpr ErrorKind kNotEnoughSpace = 5;           // shown on the options page, not a failure page
inline constexpr ErrorKind kNoActionResults = 6;          // the log holds no action result at all
inline constexpr ErrorKind kDownloadFailed = 7;           // the package did not arrive whole
inline constexpr ErrorKind kServiceNotStarted = 8;        // after "Run plugin": the service does not run
inline constexpr ErrorKind kPluginNotStarted = 9;         // ... the plugin program does not run
inline constexpr ErrorKind kNeitherStarted = 10;          // ... neither runs
inline constexpr ErrorKind kRemovalNotPrepared = 11;
inline constexpr ErrorKind kInstallNotPrepared = 12;
inline constexpr ErrorKind kPackageDamaged = 1620;        // Windows Installer: package cannot be opened

// title, advice and details are Russian keys of the text table, translated
// when shown; helpLink is empty or a complete https address on the help portal.
struct ErrorInfo {
  std::string title;
  std::string helpLink;
  std::string advice;
  std::string details;
};

// Every kind that any part of the installer stores has an entry.
extern const std::map<ErrorKind, ErrorInfo> ErrorCatalogue;

// The entry of a kind; a kind without one (none is ever stored) shows as the
// plain installation failure instead of failing the page.
const ErrorInfo& FindErrorInfo(ErrorKind kind);

// msiexec exit codes that are themselves a kind.
extern const std::map<std::int32_t, ErrorKind> ExitCodeKinds;

// RemoveAndInstall results that are the kind of the same number.
extern const std::set<std::int32_t> KindExitCodes;

// Texts of a Russian verbose Windows Installer log that name the cause of a
// failure, in byte order of the UTF-8 key: the first contained key wins.
extern const std::map<std::string, ErrorKind> LogErrorTexts;

}  // namespace kovo::plugin::web::installer
