// Under Wine, with the real system: the stand-in plugin installed by Wine's
// msiexec and started by the installer, the history file in the prefix's
// data folder, and the ways an elevated program is led to run the wrong
// program or read the wrong file.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <gtest/gtest.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/events/event_system.h>
#include <kovo-ui-imgui/events/safe_queue.h>

#include <chrono>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "installer/controller/installer_engine.h"
#include "installer/controller/working_files.h"
#include "installer/error_catalogue.h"
#include "installer/install_history.h"
#include "installer/msi_test_support.h"
#include "installer/page_events.h"
#include "installer/system_services.h"
#include "installer/system_services_platform.h"
#include "installer/text_conversion.h"
#include "stand-in/update_server_process.h"
#include "support/test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace imgui = kovo::desktop::ui::imgui;
namespace fs = std::filesystem;
using installer::PageStage;

namespace {

constexpr wchar_t kMarkerFile[] = L"C:\\kovo-planted-marker.txt";
constexpr wchar_t kUninstallList[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kProductName[] = L"КОВО Плагин";

// ============================================================================
// Processes and files of the test
// ============================================================================

std::wstring SystemProgramPath(const wchar_t* name) {
  return installer::Services().SystemFolder() + L"\\" + name;
}

fs::path OwnFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path();
}

// Runs a system program by its full path and waits; its exit code, or ~0.
std::uint32_t RunSystemProgram(const wchar_t* name, const std::wstring& parameters) {
  std::uint32_t exitCode = ~0u;
  if (installer::Services().RunProcess(installer::QuotedProgram(SystemProgramPath(name)),
                                       parameters, &exitCode, true) != 0) {
    return ~0u;
  }
  return exitCode;
}

std::string MarkerText() {
  std::error_code error;
  if (!fs::exists(kMarkerFile, error)) return {};
  const std::string bytes = kovo::testing::ReadFile(kMarkerFile);
  std::wstring text(bytes.size() / 2, L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  return installer::ToUtf8(text);
}

// Copies of the marker program where the searches would look; removed again.
class PlantedPrograms {
 public:
  explicit PlantedPrograms(std::vector<fs::path> places) : places_(std::move(places)) {
    const fs::path marker = OwnFolder() / "kovo_planted_marker.exe";
    for (const auto& place : places_) {
      fs::copy_file(marker, place, fs::copy_options::overwrite_existing);
    }
    std::error_code ignored;
    fs::remove(kMarkerFile, ignored);
  }
  ~PlantedPrograms() {
    std::error_code ignored;
    for (const auto& place : places_) fs::remove(place, ignored);
    fs::remove(kMarkerFile, ignored);
  }
  PlantedPrograms(const PlantedPrograms&) = delete;
  PlantedPrograms& operator=(const PlantedPrograms&) = delete;

 private:
  std::vector<fs::path> places_;
};

// Ends the plugin programs the installer started in this prefix (by id).
void EndPluginPrograms() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"kovo3plugin.exe") != 0) continue;
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!process) continue;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  CloseHandle(snapshot);
}

void StopPlugin() {
  RunSystemProgram(L"sc.exe", L"stop KOVO3Plugin");
  kovo::testing::WaitUntil([] { return !installer::Services().IsServiceRunning(); },
                           std::chrono::seconds(10));
  EndPluginPrograms();
  kovo::testing::WaitUntil([] { return !installer::Services().IsPluginRunning(); },
                           std::chrono::seconds(10));
}

// Wine's msiexec registers the service's program path as it stands, without
// quotes, so the Service Control Manager itself would try "C:\Test.exe" for a
// folder with blanks. That is the package's and the system's matter, not the
// installer's: the test quotes the path as a sound registration has it, and
// reports what it found.
void QuoteServiceProgramPath() {
  const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  ASSERT_NE(manager, nullptr);
  const SC_HANDLE service = OpenServiceW(manager, L"KOVO3Plugin", SERVICE_ALL_ACCESS);
  ASSERT_NE(service, nullptr);
  DWORD needed = 0;
  QueryServiceConfigW(service, nullptr, 0, &needed);
  std::vector<unsigned char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  ASSERT_TRUE(QueryServiceConfigW(service, config, needed, &needed));
  const std::wstring path = config->lpBinaryPathName;
  if (!path.empty() && path.front() != L'"') {
    std::cout << "service program path registered without quotes: " << installer::ToUtf8(path)
              << "\n";
    const std::wstring quoted = L"\"" + path + L"\"";
    EXPECT_TRUE(ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                     SERVICE_NO_CHANGE, quoted.c_str(), nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr));
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
}

std::wstring InstalledProductCode() {
  auto& system = installer::Services();
  std::vector<std::wstring> entries;
  system.EnumerateSubKeys(installer::RegistryRoot::LocalMachine, kUninstallList, entries,
                          installer::kRegistryView64);
  for (const auto& entry : entries) {
    std::uint32_t error = 0;
    if (system.ReadRegistryString(installer::RegistryRoot::LocalMachine,
                                  std::wstring(kUninstallList) + L"\\" + entry, L"DisplayName", L"",
                                  &error, installer::kRegistryView64) == kProductName) {
      return entry;
    }
  }
  return {};
}

void RemoveThePlugin() {
  StopPlugin();
  const std::wstring productCode = InstalledProductCode();
  if (!productCode.empty()) RunSystemProgram(L"msiexec.exe", L"/x" + productCode + L" /qn");
}

fs::path StandInPackage() {
  const char* build = std::getenv("KOVO_BUILD_DIR");
  return fs::path(installer::ToWide(build ? build : "")) / "stand-in" / "update-server" /
         "Kovo3Plugin" / "master" / "win32" / "kovo3plugin-setup.msi";
}

// An engine over a page of its own and a working folder of the test's choice.
class Installer {
 public:
  explicit Installer(const fs::path& workingFolder)
      : model_(imgui::EventQueuer(queue_, events_)), engine_(model_, CreatedFolder(workingFolder)) {
    events_.Connect<installer::Events::InstallPageView::CloseButtonClickedEvent>(
        [this](const auto&) { ++closeRequests; });
  }

  installer::InstallerEngine& Engine() { return engine_; }
  installer::PageData& Page() { return *model_.Access(); }

  void StartPlugin() {
    engine_.StartPlugin(imgui::EventQueuer(queue_, events_));
    for (auto& closure : queue_.TakeAll()) closure();
  }

  // What the installation worker makes of RemoveAndInstall's result.
  std::int32_t FailureKindOf(installer::Result exitCode) {
    for (const auto& [code, kind] : installer::ExitCodeKinds) {
      if (code == exitCode) return kind;
    }
    if (installer::KindExitCodes.count(exitCode) != 0) return exitCode;
    return exitCode != 0 ? engine_.AnalyzeMsiLog() : 0;
  }

  int closeRequests = 0;

 private:
  static std::wstring CreatedFolder(const fs::path& folder) {
    fs::create_directories(folder);
    return folder.wstring();
  }

  imgui::EventSystem events_;
  imgui::SafeQueue queue_;
  installer::PageModel model_;
  installer::InstallerEngine engine_;
};

void KeepLog(const fs::path& log, const std::string& name) {
  std::error_code ignored;
  fs::copy_file(log, kovo::testing::ArtifactsDir() / name, fs::copy_options::overwrite_existing,
                ignored);
}

}  // namespace

// ============================================================================
// The plugin start
// ============================================================================

// The default install folder has blanks; an unquoted program path would first
// be tried as "C:\Test.exe". msiexec and sc started by bare name would be the
// copies beside this program.
TEST(StartPluginUnderWine, StartsTheRealServiceAndProgramAndNoPlantedProgramRuns) {
  kovo::testing::TempFolder temp;
  Installer setup(temp.Path() / "KovoPlugin.Installer");
  const fs::path folder = L"C:\\Test Folder\\KOVO3Plugin";
  const PlantedPrograms planted({L"C:\\Test.exe", L"C:\\Test Folder.exe",
                                 OwnFolder() / "msiexec.exe", OwnFolder() / "sc.exe"});

  fs::copy_file(StandInPackage(), installer::PackageFile(setup.Engine().WorkingFolder()));
  setup.Page().installPath = installer::ToUtf8(folder.wstring());
  const kovo::testing::LogCapture log;
  const installer::Result installed = setup.Engine().RemoveAndInstall();
  KeepLog(fs::path(setup.Engine().WorkingFolder()) / "msi_install.log", "start-install.log");
  ASSERT_EQ(installed, 0) << log.RawText();
  ASSERT_TRUE(fs::exists(folder / "kovo3plugin.exe"));
  EXPECT_EQ(MarkerText(), "") << "a planted msiexec ran";
  QuoteServiceProgramPath();
  ASSERT_FALSE(installer::Services().IsServiceRunning());
  ASSERT_FALSE(installer::Services().IsPluginRunning());

  // Found not running by the probe: both are started.
  setup.Page().stage = PageStage::Success;
  setup.StartPlugin();

  EXPECT_EQ(setup.Page().stage, PageStage::Success);
  EXPECT_EQ(setup.Page().errorKind, installer::kNoError);
  EXPECT_EQ(setup.closeRequests, 1);
  EXPECT_TRUE(installer::Services().IsServiceRunning());
  EXPECT_TRUE(installer::Services().IsPluginRunning());
  EXPECT_EQ(MarkerText(), "") << "a planted program ran";

  // The service stopped since the probe saw it run: only the program is
  // started, and the check finds the service missing.
  StopPlugin();
  setup.Page().serviceRunning = true;
  setup.Page().pluginRunning = false;
  setup.StartPlugin();
  EXPECT_EQ(setup.Page().stage, PageStage::Failure);
  EXPECT_EQ(setup.Page().errorKind, installer::kServiceNotStarted);
  EXPECT_TRUE(installer::Services().IsPluginRunning());
  EXPECT_TRUE(log.Contains("Run service: fail"));

  // With the program file gone neither the service nor the program starts.
  StopPlugin();
  fs::remove(folder / "kovo3plugin.exe");
  setup.Page().stage = PageStage::Success;
  setup.Page().serviceRunning = false;
  setup.Page().pluginRunning = false;
  setup.StartPlugin();
  EXPECT_EQ(setup.Page().stage, PageStage::Failure);
  EXPECT_EQ(setup.Page().errorKind, installer::kNeitherStarted);
  EXPECT_TRUE(setup.Page().runRequested);
  EXPECT_TRUE(log.Contains("Run plugin: fail"));
  EXPECT_EQ(setup.closeRequests, 1);

  EXPECT_EQ(MarkerText(), "") << "a planted program ran";
  RemoveThePlugin();
}

// ============================================================================
// The stale install log
// ============================================================================

namespace {

// The real system, except that its system folder holds no msiexec.
class NoMsiexecSystem : public installer::SystemServices {
 public:
  explicit NoMsiexecSystem(const std::wstring& folder)
      : folder_(folder), real_(installer::PlatformServices()) {}
  std::wstring SystemFolder() override { return folder_; }

  std::wstring ExpandEnvironment(const std::wstring& text) override {
    return real_.ExpandEnvironment(text);
  }
  bool FileExists(const std::wstring& path) override { return real_.FileExists(path); }
  std::uint32_t CreateFolder(const std::wstring& path) override { return real_.CreateFolder(path); }
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters,
                           std::uint32_t* exitCode, bool wait) override {
    return real_.RunProcess(program, parameters, exitCode, wait);
  }
  void OpenUrl(const std::string& address) override { real_.OpenUrl(address); }
  bool IsServiceRunning() override { return real_.IsServiceRunning(); }
  bool IsPluginRunning() override { return real_.IsPluginRunning(); }
  std::wstring ReadRegistryString(installer::RegistryRoot root, const std::wstring& subKey,
                                  const std::wstring& valueName, const std::wstring& defaultValue,
                                  std::uint32_t* error, int view) override {
    return real_.ReadRegistryString(root, subKey, valueName, defaultValue, error, view);
  }
  std::uint32_t EnumerateSubKeys(installer::RegistryRoot root, const std::wstring& subKey,
                                 std::vector<std::wstring>& names, int view) override {
    return real_.EnumerateSubKeys(root, subKey, names, view);
  }
  installer::SpaceInfo Space(const std::wstring& root) override { return real_.Space(root); }
  std::optional<installer::WindowsVersion> QueryWindowsVersion() override {
    return real_.QueryWindowsVersion();
  }
  std::uint16_t UserDefaultLanguageId() override { return real_.UserDefaultLanguageId(); }

 private:
  std::wstring folder_;
  installer::SystemServices& real_;
};

}  // namespace

TEST(StaleLogUnderWine, AnInstallThatCannotStartEndsAsAFailureNotAsTheOldSuccess) {
  kovo::testing::TempFolder temp;
  Installer setup(temp.Path() / "KovoPlugin.Installer");
  const fs::path working = setup.Engine().WorkingFolder();
  fs::copy_file(StandInPackage(), installer::PackageFile(working.wstring()));
  kovo::testing::WriteInstallerLog(working / "msi_install.log",
                                   {kovo::testing::ActionEnded("INSTALL", "1")});
  ASSERT_EQ(setup.FailureKindOf(installer::kResultFail), installer::kNoError)
      << "the old log alone reads as a success";

  NoMsiexecSystem system((temp.Path() / "empty system folder").wstring());
  fs::create_directories(temp.Path() / "empty system folder");
  const installer::ScopedSystemServices scoped(system);
  const installer::Result exitCode = setup.Engine().RemoveAndInstall();

  EXPECT_EQ(exitCode, installer::kResultFail);
  EXPECT_EQ(setup.FailureKindOf(exitCode), installer::kInstallFailed);
  EXPECT_FALSE(fs::exists(working / "msi_install.log"));
}

// ============================================================================
// A working folder the user's code page cannot name
// ============================================================================

TEST(WideWorkingFolderUnderWine, TheDownloadAndTheInstallWork) {
  std::unique_ptr<kovo::testing::UpdateServerProcess> server;
  try {
    server = std::make_unique<kovo::testing::UpdateServerProcess>();
  } catch (const std::exception& error) {
    FAIL() << "no update server: " << error.what();
  }
  kovo::testing::TempFolder temp;
  // Cyrillic, Greek and Chinese: no ANSI code page has all three.
  const fs::path working =
      temp.Path() / fs::u8path("Временная Ωμέγα 临时") / "KovoPlugin.Installer";
  ASSERT_NE(installer::FromNarrow(installer::ToNarrow(working.wstring())), working.wstring())
      << "the user's code page names the folder; the test shows nothing";
  Installer setup(working);
  setup.Engine().SetUpdateServer({"127.0.0.1", server->Port()});
  const fs::path folder = L"C:\\Wide Test\\KOVO3Plugin";
  setup.Page().installPath = installer::ToUtf8(folder.wstring());

  const kovo::testing::LogCapture log;
  ASSERT_EQ(setup.Engine().DownloadToFile("/Kovo3Plugin/master/win32/version.txt",
                                          (working / "version.txt").wstring()),
            installer::kResultOk)
      << log.RawText();
  EXPECT_FALSE(kovo::testing::ReadFile(working / "version.txt").empty());
  ASSERT_EQ(setup.Engine().DownloadInstallPackage(), installer::kResultOk) << log.RawText();
  EXPECT_EQ(fs::file_size(working / "kovo3plugin-setup.msi"), fs::file_size(StandInPackage()));

  const installer::Result exitCode = setup.Engine().RemoveAndInstall();
  KeepLog(working / "msi_install.log", "wide-folder-install.log");
  EXPECT_EQ(exitCode, 0) << log.RawText();
  EXPECT_TRUE(fs::exists(folder / "kovo3plugin.exe"));
  EXPECT_TRUE(fs::exists(working / "msi_install.log"));
  RemoveThePlugin();
}

// ============================================================================
// The history file
// ============================================================================

namespace {

fs::path DataFolder() { return installer::Services().ExpandEnvironment(L"%PROGRAMDATA%"); }

// Sets %PROGRAMDATA% for this process while it lives.
class DataFolderVariable {
 public:
  explicit DataFolderVariable(const std::wstring& value) : old_(DataFolder().wstring()) {
    SetEnvironmentVariableW(L"PROGRAMDATA", value.c_str());
  }
  ~DataFolderVariable() { SetEnvironmentVariableW(L"PROGRAMDATA", old_.c_str()); }

 private:
  std::wstring old_;
};

}  // namespace

TEST(InstallHistoryUnderWine, IsWrittenUnderTheDataFolderByteForByte) {
  installer::InstallHistory history(std::chrono::system_clock::now, installer::MachineLocalTime);
  history.RecordStart();
  history.SetInstallType(L"recommended");
  history.SetResult(L"ERROR: 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  history.RecordCompletion();
  history.Write();

  const installer::HistoryValues values = history.Values();
  const fs::path file = DataFolder() / "Kovo3Plugin" / "logs" / "web_installer_history" /
                        installer::HistoryFileName(values.startTime, installer::MachineLocalTime);
  ASSERT_TRUE(fs::exists(file)) << file.u8string();
  const std::string text = kovo::testing::ReadFile(file);
  EXPECT_EQ(text,
            installer::ToUtf8(installer::BuildHistoryText(values, installer::MachineLocalTime)));
  EXPECT_EQ(text.rfind("{\"InstallType\":\"recommended(ERROR: 1)\", \"InstallDate\":\"", 0), 0u)
      << text;
  EXPECT_EQ(text.back(), '}');
  EXPECT_GE(values.duration, 1);
  KeepLog(file, "history.txt");
}

TEST(InstallHistoryUnderWine, AFolderThatCannotBeWrittenIsSkippedAndTheProgramGoesOn) {
  kovo::testing::TempFolder temp;
  const fs::path blocked = temp.Path() / "blocked";
  fs::create_directories(blocked);
  // A file where the product's folder should be.
  kovo::testing::WriteFile(blocked / "Kovo3Plugin", "");
  const fs::path occupied = temp.Path() / "occupied";

  installer::InstallHistory history(std::chrono::system_clock::now, installer::MachineLocalTime);
  history.RecordStart();
  history.RecordCompletion();
  // The history file's name taken by a folder.
  fs::create_directories(
      occupied / "Kovo3Plugin" / "logs" / "web_installer_history" /
      installer::HistoryFileName(history.Values().startTime, installer::MachineLocalTime));

  for (const fs::path& data : {blocked, occupied, fs::path(L"Q:\\no such drive")}) {
    SCOPED_TRACE(data.u8string());
    const DataFolderVariable variable(data.wstring());
    const kovo::testing::LogCapture log;
    EXPECT_NO_THROW(history.Write());
    EXPECT_TRUE(log.Contains("History")) << log.RawText();
  }
}
