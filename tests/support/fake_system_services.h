// A scriptable stand-in for the operating system, for native tests of the
// engine's logic. Files and folders are real (tests use temporary folders);
// the registry, processes, services, disks and versions are what the test says.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "installer/system_services.h"

namespace kovo::testing {

using plugin::web::installer::RegistryRoot;
using plugin::web::installer::SpaceInfo;
using plugin::web::installer::WindowsVersion;

class FakeSystemServices : public plugin::web::installer::SystemServices {
 public:
  struct ProcessCall {
    std::wstring program;
    std::wstring parameters;
    bool wait = false;
  };
  struct ProcessOutcome {
    std::uint32_t startError = 0;  // non-zero: the start fails with this code
    std::uint32_t exitCode = 0;
  };
  struct RegistryValue {
    std::wstring text;
    bool isString = true;  // false: a value of another type (a DWORD, say)
  };

  // "%NAME%" is replaced when NAME is in the map; anything else stays.
  std::map<std::wstring, std::wstring> environment;

  // Processes: every call is recorded; outcomes are taken in order (a
  // successful run with exit code 0 when none is left).
  std::vector<ProcessCall> processCalls;
  std::deque<ProcessOutcome> processOutcomes;

  std::vector<std::string> openedUrls;
  bool serviceRunning = false;
  bool pluginRunning = false;

  // Registry: (root, key, value name) -> value; (root, key) -> sub-key names.
  std::map<std::tuple<RegistryRoot, std::wstring, std::wstring>, RegistryValue> registryValues;
  std::map<std::pair<RegistryRoot, std::wstring>, std::vector<std::wstring>> registrySubKeys;
  std::vector<int> registryViewsSeen;

  // Disks by root ("C:"); a root without an entry raises the space error.
  std::map<std::wstring, SpaceInfo> disks;

  std::optional<WindowsVersion> windowsVersion = WindowsVersion{10, 0, 19045, 0, 0};
  std::uint16_t languageId = 1049;
  std::wstring systemFolder = L"C:\\Windows\\system32";

  // Folders whose creation fails with the given system error.
  std::map<std::wstring, std::uint32_t> failingFolders;

  void SetRegistryString(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                         const std::wstring& text);

  std::wstring ExpandEnvironment(const std::wstring& text) override;
  bool FileExists(const std::wstring& path) override;
  std::uint32_t CreateFolder(const std::wstring& path) override;
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters,
                           std::uint32_t* exitCode, bool wait) override;
  void OpenUrl(const std::string& address) override;
  bool IsServiceRunning() override { return serviceRunning; }
  bool IsPluginRunning() override { return pluginRunning; }
  std::wstring ReadRegistryString(RegistryRoot root, const std::wstring& subKey,
                                  const std::wstring& valueName, const std::wstring& defaultValue,
                                  std::uint32_t* error, int view) override;
  std::uint32_t EnumerateSubKeys(RegistryRoot root, const std::wstring& subKey,
                                 std::vector<std::wstring>& names, int view) override;
  SpaceInfo Space(const std::wstring& root) override;
  std::optional<WindowsVersion> QueryWindowsVersion() override { return windowsVersion; }
  std::uint16_t UserDefaultLanguageId() override { return languageId; }
  std::wstring SystemFolder() override { return systemFolder; }
};

}  // namespace kovo::testing
