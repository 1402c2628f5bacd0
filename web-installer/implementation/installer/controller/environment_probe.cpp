// The check of the computer before anything is installed, and the decision
// whether an installation is needed. Every finding goes into PageData.
#include <kovo-ui-imgui/logger/logger.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#include "installer/controller/installer_engine.h"
#include "installer/error_catalogue.h"
#include "installer/format_string.h"
#include "installer/install_type_table.h"
#include "installer/installed_product.h"
#include "installer/outside_components.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "installer/version_number.h"

namespace kovo::plugin::web::installer {

namespace {

// ============================================================================
// Constants
// ============================================================================

constexpr WindowsVersion kMinimumWindows{6, 1, 7600, 1, 0};

// Windows joins with "\"; off Windows only "/" separates.
#if defined(_WIN32)
constexpr wchar_t kWideSeparator = L'\\';
#else
constexpr wchar_t kWideSeparator = L'/';
#endif

constexpr std::uint64_t kMebibyte = 1u << 20;

// ============================================================================
// Helpers
// ============================================================================

bool IsOlderThanMinimum(const WindowsVersion& version) {
  const auto release = [](const WindowsVersion& v) { return std::make_tuple(v.major, v.minor, v.build); };
  const auto servicePack = [](const WindowsVersion& v) {
    return std::make_tuple(v.servicePackMajor, v.servicePackMinor);
  };
  if (release(version) != release(kMinimumWindows)) return release(version) < release(kMinimumWindows);
  return servicePack(version) < servicePack(kMinimumWindows);
}

// The drive part of a path ("C:"), or the server part of a network path
// ("\\server"), as Windows names a path's root; empty for anything else.
std::wstring RootName(const std::wstring& path) {
  const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 2 && path[1] == L':' &&
      ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'))) {
    return path.substr(0, 2);
  }
  if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2])) {
    size_t end = 2;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    return path.substr(0, end);
  }
  return {};
}

// Twice the install type's figure is required. A type the table does not know
// (no such value comes from the options page) asks for the most any type needs.
std::int32_t SpaceFigureMb(InstallTypes type) {
  const auto known = InstallTypeTable.find(type);
  if (known != InstallTypeTable.end()) return known->second.spaceMb;
  std::int32_t largest = 0;
  for (const auto& [anyType, info] : InstallTypeTable) largest = std::max(largest, info.spaceMb);
  return largest;
}

// A volume that cannot be queried (a path without a drive, an unreachable
// share) is treated as having no free space: the user stays on the options
// page with the space warning and can choose another folder.
std::uint64_t FreeBytesOf(const std::wstring& rootName) {
  if (rootName.empty()) {
    LOG_DEBUG("Free space unknown: the install path has no drive");
    return 0;
  }
  try {
    return Services().Space(rootName).free;
  } catch (const std::exception& error) {
    LOG_DEBUG("Free space unknown: " << error.what());
  } catch (...) {
    LOG_DEBUG("Free space unknown");
  }
  return 0;
}

std::int32_t MissingSpaceMb(InstallTypes type, const std::wstring& rootName) {
  const std::uint64_t required = static_cast<std::uint64_t>(SpaceFigureMb(type)) * 2u * kMebibyte;
  const std::uint64_t free = FreeBytesOf(rootName);
  if (free >= required) return 0;
  return static_cast<std::int32_t>((required - free) >> 20);
}

// Non-zero also when the existence test itself fails.
std::uint32_t CreateWorkingFolder(const std::wstring& folder) {
  constexpr std::uint32_t kFolderNotExaminable = 1;
  try {
    return Services().CreateFolder(folder);
  } catch (const std::exception& error) {
    LOG_DEBUG("Working folder not creatable: " << error.what());
  } catch (...) {
    LOG_DEBUG("Working folder not creatable");
  }
  return kFolderNotExaminable;
}

// The first line of the file, each byte one character (the file is read in
// the default "C" locale); nothing when the file cannot be opened.
std::optional<std::wstring> ReadFirstLine(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  if (!file.is_open()) return std::nullopt;
  std::string line;
  std::getline(file, line);
  std::wstring text;
  text.reserve(line.size());
  for (const char byte : line) text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
  return text;
}

// A program file that cannot be examined (no access, a broken share) counts as
// not there: the folder is then not taken as an installation.
bool ProgramFileExists(const std::wstring& path) {
  try {
    return Services().FileExists(path);
  } catch (const std::exception& error) {
    LOG_DEBUG("Program file not examinable: " << error.what());
  } catch (...) {
    LOG_DEBUG("Program file not examinable");
  }
  return false;
}

// ============================================================================
// The probe's steps; each one that can stop the probe says whether to go on
// ============================================================================

bool WindowsIsSupported(PageData& data) {
  const auto windows = Services().QueryWindowsVersion();
  if (!windows) return true;
  LOG_DEBUG("Win Ver: " << windows->major << "." << windows->minor << "." << windows->build);
  LOG_DEBUG("Win SP: " << windows->servicePackMajor << "." << windows->servicePackMinor);
  if (!IsOlderThanMinimum(*windows)) return true;
  data.stage = PageStage::Failure;
  data.errorKind = kUnsupportedWindows;
  return false;
}

// The options page stays: the user can pick a folder on another disk.
bool InstallDiskHasRoom(PageData& data) {
  LOG_DEBUG("Install path: " << data.installPath);
  const std::wstring rootName = RootName(ToWide(data.installPath));
  LOG_DEBUG("Root name: " << ToNarrow(rootName));
  const std::int32_t missingMb = MissingSpaceMb(data.installType, rootName);
  data.missingSpaceMb = missingMb;
  if (missingMb == 0) return true;
  LOG_DEBUG("Need space: " << missingMb);
  data.errorKind = kNotEnoughSpace;
  return false;
}

bool WorkingFolderIsThere(PageData& data, const std::wstring& workingFolder) {
  if (CreateWorkingFolder(workingFolder) == 0) return true;
  data.stage = PageStage::Failure;
  data.errorKind = kWorkingFolderFailed;
  return false;
}

void FailVersionDownload(PageData& data) {
  data.stage = PageStage::Failure;
  data.errorKind = kVersionCheckFailed;
}

// The installed plugin's folder, product code and running state go into the
// page; returns the installed version text (empty when nothing is installed).
std::wstring LookUpInstalledPlugin(PageData& data) {
  const std::wstring installedFolder = ReadInstalledFolder();
  const std::wstring installedText = ReadInstalledVersionText();
  if (!installedFolder.empty() && ProgramFileExists(installedFolder + kWideSeparator + kPluginProgramName)) {
    data.installPath = ToUtf8(installedFolder);
    data.installed = true;
  }

  data.productCode = ToNarrow(FindProductCode());
  LOG_DEBUG("Msi Product code: " << data.productCode);
  if (data.productCode.empty()) {
    data.installed = false;
    return {};
  }
  data.serviceRunning = Services().IsServiceRunning();
  data.pluginRunning = Services().IsPluginRunning();
  LOG_DEBUG("Check on running: service: " << (data.serviceRunning ? 1 : 0)
                                          << " plugin: " << (data.pluginRunning ? 1 : 0));
  return installedText;
}

Result DecideInstall(PageData& data, const std::wstring& installedText, const std::wstring& offeredText) {
  const VersionNumber installed = VersionNumber::Parse(installedText);
  const VersionNumber offered = VersionNumber::Parse(offeredText);
  LOG_DEBUG(FormatString("CheckPluginInstall.exist version: %d.%d.%d.%d", installed.parts[0], installed.parts[1],
                         installed.parts[2], installed.parts[3]));
  LOG_DEBUG(FormatString("CheckPluginInstall.new version: %d.%d.%d.%d", offered.parts[0], offered.parts[1],
                         offered.parts[2], offered.parts[3]));
  data.installedVersion = ToNarrow(installedText);

  // An empty, foreign or garbled version file says nothing about what the
  // server offers; it must not pass for "the offered version is installed".
  if (offered == VersionNumber{}) {
    LOG_DEBUG("CheckPluginInstall.No offered version");
    FailVersionDownload(data);
    return kResultAbort;
  }
  if (installed < offered) {
    LOG_DEBUG("CheckPluginInstall.Will install new version");
    return kResultOk;
  }
  if (data.reinstall) return kResultOk;
  LOG_DEBUG("CheckPluginInstall.Skip install new version");
  data.willInstall = false;
  data.stage = PageStage::Success;
  return kResultAbort;
}

}  // namespace

// One access for the whole run: the page is redrawn once, when it is released.
Result InstallerEngine::EnvironmentProbe() {
  auto access = model_.Access();
  PageData& data = *access;
  data.errorKind = kNoError;

  if (!WindowsIsSupported(data) || !InstallDiskHasRoom(data) || !WorkingFolderIsThere(data, workingFolder_)) {
    return kResultAbort;
  }
  const std::wstring versionFile = workingFolder_ + kWideSeparator + ToWide(kVersionFileName);
  if (DownloadToFile(kVersionFileServerPath, versionFile) != kResultOk) {
    FailVersionDownload(data);
    return kResultAbort;
  }
  // A file gone between the download and here leaves the page as it was.
  const auto offeredText = ReadFirstLine(versionFile);
  if (!offeredText) return kResultAbort;

  const std::wstring installedText = LookUpInstalledPlugin(data);
  return DecideInstall(data, installedText, *offeredText);
}

}  // namespace kovo::plugin::web::installer
