// Everything the installer's one page shows: written by the installation
// engine, read by the page views.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovo::plugin::web::installer {

enum class PageStage : std::int32_t { Options = 0, Progress = 1, Success = 2, Failure = 3 };

enum class InstallPhase : std::int32_t { Downloading = 0, Installing = 1, AnalysingLogs = 2 };

enum class InstallTypes : std::int32_t { Recommended = 0, Full = 1, Min = 2, Custom = 3 };

// There is no "off" value: whether the plugin starts with the system at all is
// PageData::autoRun.
enum class AutoRunTypes : std::int32_t { CurrentUser = 1, AllUsers = 2 };

inline constexpr char kDefaultInstallPath[] = "C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin";

// A confirmation box. The texts are keys of the text table, translated when
// drawn; they point into static text.
struct MessageBoxInfo {
  bool visible = false;
  std::string_view id = "Popup title";
  std::string_view title = "Title";
  std::string_view message = "Message";
  std::string_view yes = "Yes";
  std::string_view no = "No";
  std::optional<std::string_view> extra;
};

struct PageData {
  // Shared with the installation worker while the views draw and the logic
  // thread may cancel: these five are atomics so that nobody holds a lock for
  // the length of a download or an installer run.
  std::atomic<float> progress{0.0f};
  std::atomic<bool> proceed{true};
  std::atomic<PageStage> stage{PageStage::Options};
  std::atomic<InstallPhase> phase{InstallPhase::Downloading};

  std::string installPath = kDefaultInstallPath;  // UTF-8
  std::string installedVersion;
  std::string productCode;
  std::int32_t missingSpaceMb = 0;
  bool installed = false;
  bool willInstall = true;
  bool reinstall = false;
  bool serviceRunning = false;
  bool pluginRunning = false;
  bool runRequested = false;
  InstallTypes installType = InstallTypes::Recommended;
  std::vector<std::string> components;  // UTF-8 feature identifiers
  bool autoRun = true;
  AutoRunTypes autoRunType = AutoRunTypes::CurrentUser;
  bool desktopShortcut = true;

  std::atomic<std::int32_t> errorKind{0};

  MessageBoxInfo closeBox;
  MessageBoxInfo cancelBox;
};

}  // namespace kovo::plugin::web::installer
