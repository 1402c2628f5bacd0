// The stand-in plugin packages as the installer uses them: downloaded from the
// local update server, installed and removed with Wine's msiexec and the
// installer's own command lines, and checked against the real registry, file
// system and Service Control Manager.
#include <httplib.h>

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "installer/component_catalogue.h"
#include "kovo_settings.h"
#include "stand-in/update_server_process.h"
#include "support/test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using kovo::testing::ArtifactsDir;
using kovo::testing::UpdateServerProcess;
using kovo::testing::WaitUntil;
using FeatureSet = std::set<std::string>;

namespace {

// ---------------------------------------------------------------------------
// What the installer relies on
// ---------------------------------------------------------------------------

constexpr wchar_t kPluginKey[] = L"SOFTWARE\\Veltra Company Ltd\\KOVO3Plugin";
constexpr wchar_t kUninstallList[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kServiceName[] = L"KOVO3Plugin";
constexpr wchar_t kProductName[] = L"КОВО Плагин";
constexpr wchar_t kDefaultFolder[] = L"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin";

struct Package {
  const char* name;
  const char* serverPath;
  const wchar_t* productCode;
  char defaultsLetter;  // the letter of the catalogue rows' defaults column
};

const Package kRecommended = {"recommended", "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi",
                              L"{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F01}", 'r'};
const Package kFull = {"full", "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi",
                       L"{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F02}", 'f'};
const Package kMin = {"min", "/Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi",
                      L"{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F03}", 'm'};

struct CatalogueRow {
  std::string identifier;
  std::string defaults;
};

const std::vector<CatalogueRow>& CatalogueRows() {
  static const std::vector<CatalogueRow> rows = {
#define KOVO_COMPONENT_GROUP(key, russian)
#define KOVO_COMPONENT(identifier, group, russian, english, defaults) {identifier, defaults},
#include "installer/component_catalogue_rows.inc"
#undef KOVO_COMPONENT
#undef KOVO_COMPONENT_GROUP
  };
  return rows;
}

FeatureSet WithBaseFeatures(FeatureSet features) {
  features.insert({"BaseFeature", "Basiccomponents"});
  return features;
}

FeatureSet DefaultFeatures(const Package& package) {
  FeatureSet features;
  for (const auto& row : CatalogueRows()) {
    if (row.defaults.find(package.defaultsLetter) != std::string::npos) {
      features.insert(installer::PackageFeatureName(row.identifier));
    }
  }
  return WithBaseFeatures(features);
}

FeatureSet EveryFeature() {
  FeatureSet features;
  for (const auto& [identifier, labels] : installer::ComponentDescriptions()) {
    features.insert(installer::PackageFeatureName(identifier));
  }
  return WithBaseFeatures(features);
}

// ---------------------------------------------------------------------------
// Text, processes, registry, files
// ---------------------------------------------------------------------------

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct ServiceHandleCloser {
  void operator()(SC_HANDLE handle) const {
    if (handle) CloseServiceHandle(handle);
  }
};
using UniqueServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

// Started without a window; the process handle, or empty when it did not start.
UniqueHandle Start(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    return {};
  }
  UniqueHandle thread(process.hThread);
  return UniqueHandle(process.hProcess);
}

DWORD RunAndWait(const std::wstring& commandLine) {
  UniqueHandle process = Start(commandLine);
  if (!process) return GetLastError();
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  return exitCode;
}

std::optional<std::wstring> RegistryString(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD bytes = 0;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(wcslen(value.c_str()));
  return value;
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

std::wstring UninstallEntry(const Package& package) {
  return std::wstring(kUninstallList) + L"\\" + package.productCode;
}

FeatureSet InstalledFeatures(const fs::path& folder) {
  FeatureSet features;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder / "modules", ignored)) {
    if (entry.path().extension() == ".module") features.insert(entry.path().stem().string());
  }
  return features;
}

fs::path KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// An all-users install puts the shortcut on the common desktop; Wine puts it
// on the user's. Either counts, and neither may hold it after removal.
bool DesktopShortcutExists() {
  const std::wstring name = Wide(kovo::settings::kOnlinePortalHost) + L".lnk";
  std::error_code ignored;
  return fs::exists(KnownFolder(CSIDL_DESKTOPDIRECTORY) / name, ignored) ||
         fs::exists(KnownFolder(CSIDL_COMMON_DESKTOPDIRECTORY) / name, ignored);
}

std::optional<DWORD> ServiceState() {
  UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  UniqueServiceHandle service(manager ? OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS)
                                      : nullptr);
  if (!service) return std::nullopt;
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.get(), &status)) return std::nullopt;
  return status.dwCurrentState;
}

// ---------------------------------------------------------------------------
// The installer's msiexec runs
// ---------------------------------------------------------------------------

struct InstallChoices {
  std::wstring folder = kDefaultFolder;
  bool desktopShortcut = true;
  bool autoRun = true;
  int autoRunType = 1;
  std::wstring extra;  // "", "INSTALLLEVEL=3" or "ADDLOCAL=..."
};

// Exactly the parameters the installer passes: a switch that is off is a
// single blank, so a line may read "CREATE_LINK_ONLINE=  APP_AUTORUN=1".
std::wstring InstallParameters(const fs::path& package, const InstallChoices& choices, const fs::path& log) {
  return L"/i \"" + package.wstring() + L"\" INSTALLLOCATION=\"" + choices.folder +
         L"\" CREATE_LINK_ONLINE=" + (choices.desktopShortcut ? L"1" : L" ") + L" APP_AUTORUN=" +
         (choices.autoRun ? L"1" : L" ") + L" APP_AUTORUN_TYPE=" + std::to_wstring(choices.autoRunType) +
         L" " + choices.extra + L" /qn /l*v \"" + log.wstring() + L"\"";
}

std::wstring RemoveParameters(const Package& package, const fs::path& log) {
  return std::wstring(L"/x") + package.productCode + L" /qn /l*v \"" + log.wstring() + L"\"";
}

std::wstring CustomFeatures(const std::vector<std::string>& components) {
  std::wstring list = L"ADDLOCAL=BaseFeature,Basiccomponents";
  for (const auto& component : components) list += L"," + Wide(component);
  return list;
}

// Directory properties carry a trailing backslash; "Path" must not.
std::wstring WithoutTrailingBackslash(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

// ---------------------------------------------------------------------------
// Fixture: one update server per test program, packages downloaded once
// ---------------------------------------------------------------------------

class PluginPackage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    try {
      server_ = std::make_unique<UpdateServerProcess>();
    } catch (const std::exception& error) {
      serverProblem_ = error.what();
    }
    fs::create_directories(Downloads());
  }

  static void TearDownTestSuite() {
    server_.reset();
    std::error_code ignored;
    fs::remove_all(Downloads(), ignored);
  }

  static fs::path Downloads() { return fs::temp_directory_path() / "kovo-stand-in-packages"; }

  static fs::path Download(const Package& package) {
    const fs::path file = Downloads() / (std::string("kovo3plugin-") + package.name + ".msi");
    if (fs::exists(file)) return file;
    if (!server_) {
      ADD_FAILURE() << "no update server: " << serverProblem_;
      return file;
    }
    httplib::Client client("127.0.0.1", server_->Port());
    const auto response = client.Get(package.serverPath);
    if (!response || response->status != 200) {
      ADD_FAILURE() << "download of " << package.serverPath << " failed";
      return file;
    }
    std::ofstream(file, std::ios::binary)
        .write(response->body.data(), static_cast<std::streamsize>(response->body.size()));
    return file;
  }

  static fs::path LogFile(const std::string& name) { return ArtifactsDir() / (name + ".log"); }

  static DWORD Install(const Package& package, const InstallChoices& choices, const std::string& caseName) {
    return RunAndWait(L"msiexec.exe " +
                      InstallParameters(Download(package), choices, LogFile(caseName + "-install")));
  }

  static DWORD Remove(const Package& package, const std::string& caseName) {
    return RunAndWait(L"msiexec.exe " + RemoveParameters(package, LogFile(caseName + "-remove")));
  }

  // After removal nothing of the plugin is left: files, folder, registry
  // values, uninstall entry, shortcut, autostart entries, service.
  static void ExpectNothingLeft(const Package& package, const fs::path& folder) {
    std::error_code ignored;
    EXPECT_FALSE(fs::exists(folder, ignored)) << folder.u8string();
    if (folder.parent_path().filename() == "Veltra Company Ltd") {
      EXPECT_FALSE(fs::exists(folder.parent_path(), ignored)) << "the company folder came with the package";
    }
    EXPECT_FALSE(RegistryString(HKEY_LOCAL_MACHINE, kPluginKey, L"Path"));
    EXPECT_FALSE(RegistryString(HKEY_LOCAL_MACHINE, kPluginKey, L"Version"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallEntry(package)));
    EXPECT_FALSE(DesktopShortcutExists());
    EXPECT_FALSE(RegistryString(HKEY_CURRENT_USER, kRunKey, kServiceName));
    EXPECT_FALSE(RegistryString(HKEY_LOCAL_MACHINE, kRunKey, kServiceName));
    EXPECT_FALSE(ServiceState());
  }

  static inline std::unique_ptr<UpdateServerProcess> server_;
  static inline std::string serverProblem_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Tests
// ---------------------------------------------------------------------------

TEST_F(PluginPackage, RecommendedInstallWithTheInstallersDefaultsAndCleanRemoval) {
  const InstallChoices choices;  // default folder, shortcut, autostart for the current user
  ASSERT_EQ(Install(kRecommended, choices, "recommended"), 0u);

  const fs::path folder = kDefaultFolder;
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kPluginKey, L"Path"), std::wstring(kDefaultFolder));
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kPluginKey, L"Version"), Wide(kovo::settings::kPluginVersion));
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, UninstallEntry(kRecommended), L"DisplayName"),
            std::wstring(kProductName));
  EXPECT_TRUE(fs::exists(folder / "kovo3plugin.exe"));
  EXPECT_EQ(InstalledFeatures(folder), DefaultFeatures(kRecommended));
  EXPECT_TRUE(DesktopShortcutExists());
  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kRunKey, kServiceName),
            L"\"" + (folder / "kovo3plugin.exe").wstring() + L"\" --wait");
  EXPECT_FALSE(RegistryString(HKEY_LOCAL_MACHINE, kRunKey, kServiceName));
  EXPECT_EQ(ServiceState(), SERVICE_STOPPED);

  ASSERT_EQ(Remove(kRecommended, "recommended"), 0u);
  ExpectNothingLeft(kRecommended, folder);
}

TEST_F(PluginPackage, FeaturesShortcutAndAutostartFollowTheInstallersLines) {
  const struct {
    const char* name;
    Package package;
    InstallChoices choices;
    FeatureSet expectedFeatures;
    bool shortcut;
    bool autostartCurrentUser;
    bool autostartAllUsers;
  } cases[] = {
      // clang-format off
      {"min-switches-off-custom-folder", kMin,
       {L"C:\\Плагин тест\\Veltra Company Ltd\\KOVO3Plugin\\", false, false, 2, L""},
       DefaultFeatures(kMin), false, false, false},
      {"full-every-feature-autostart-all-users", kFull,
       {kDefaultFolder, false, true, 2, L"INSTALLLEVEL=3"},
       EveryFeature(), false, false, true},
      {"custom-two-components", kFull,
       {kDefaultFolder, true, false, 1, CustomFeatures(installer::ComponentsFromChecks(
                                            {{"CryptoProvider_win", true}, {"WebDavGateway", true}}))},
       WithBaseFeatures({"CryptoProvider", "WebDavGateway"}), true, false, false},
      {"custom-nothing-ticked", kFull,
       {L"C:\\Apps\\KOVO3Plugin", false, true, 1, CustomFeatures({})},
       WithBaseFeatures({}), false, true, false},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Install(c.package, c.choices, c.name), 0u);
    const fs::path folder = WithoutTrailingBackslash(c.choices.folder);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kPluginKey, L"Path"), folder.wstring());
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, UninstallEntry(c.package), L"DisplayName"),
              std::wstring(kProductName));
    EXPECT_TRUE(fs::exists(folder / "kovo3plugin.exe"));
    EXPECT_EQ(InstalledFeatures(folder), c.expectedFeatures);
    EXPECT_EQ(DesktopShortcutExists(), c.shortcut);
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kRunKey, kServiceName).has_value(), c.autostartCurrentUser);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, kRunKey, kServiceName).has_value(), c.autostartAllUsers);

    ASSERT_EQ(Remove(c.package, c.name), 0u);
    ExpectNothingLeft(c.package, folder);
  }
}

TEST_F(PluginPackage, ServiceStartsWithScAndStops) {
  InstallChoices choices;
  choices.folder = L"C:\\Service Test\\KOVO3Plugin";
  ASSERT_EQ(Install(kRecommended, choices, "service"), 0u);

  // This test's own process keeps Wine's session, and so the service, alive.
  EXPECT_EQ(RunAndWait(L"sc start KOVO3Plugin"), 0u);
  EXPECT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, std::chrono::seconds(10)));
  RunAndWait(L"sc stop KOVO3Plugin");
  EXPECT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_STOPPED; }, std::chrono::seconds(10)));

  // Removal stops a running service before it deletes it.
  RunAndWait(L"sc start KOVO3Plugin");
  EXPECT_TRUE(WaitUntil([] { return ServiceState() == SERVICE_RUNNING; }, std::chrono::seconds(10)));
  ASSERT_EQ(Remove(kRecommended, "service"), 0u);
  ExpectNothingLeft(kRecommended, choices.folder);
}

TEST_F(PluginPackage, ProgramWaitsWithItsSwitchAndEndsWithoutIt) {
  InstallChoices choices;
  choices.folder = L"C:\\Program Test\\KOVO3Plugin";
  ASSERT_EQ(Install(kMin, choices, "program"), 0u);
  const std::wstring program = choices.folder + L"\\kovo3plugin.exe";

  // The installer starts it unquoted, blank in the path and all.
  UniqueHandle waiting = Start(program + L" --wait");
  ASSERT_TRUE(waiting);
  EXPECT_EQ(WaitForSingleObject(waiting.get(), 2000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "--wait ended by itself";
  TerminateProcess(waiting.get(), 0);
  WaitForSingleObject(waiting.get(), 5000);

  // Not started by the Service Control Manager and without the switch, it has nothing to do.
  UniqueHandle plain = Start(L"\"" + program + L"\"");
  ASSERT_TRUE(plain);
  EXPECT_EQ(WaitForSingleObject(plain.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD exitCode = 0;
  GetExitCodeProcess(plain.get(), &exitCode);
  EXPECT_EQ(exitCode, static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT));

  ASSERT_EQ(Remove(kMin, "program"), 0u);
  ExpectNothingLeft(kMin, choices.folder);
}
