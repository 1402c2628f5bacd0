// The environment probe under Wine against the real registry, file system,
// disks and Windows version, with an update server on loopback.
#include <httplib.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo_settings.h>

#include "installer/controller/installer_engine.h"
#include "installer/installed_product.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;

namespace {

constexpr char kOfferedVersion[] = "21.6225.56.0";

std::string Narrow(const std::wstring& text) { return installer::ToUtf8(text); }

// ============================================================================
// Processes
// ============================================================================

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle Start(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process)) {
    return {};
  }
  CloseHandle(process.hThread);
  return UniqueHandle(process.hProcess);
}

DWORD RunAndWait(const std::wstring& commandLine) {
  const UniqueHandle process = Start(commandLine);
  if (!process) return GetLastError();
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  return exitCode;
}

// A started program that is ended with the test.
class RunningProgram {
 public:
  explicit RunningProgram(const std::wstring& commandLine) : process_(Start(commandLine)) {}
  ~RunningProgram() {
    if (process_) TerminateProcess(process_.get(), 0);
  }
  explicit operator bool() const { return static_cast<bool>(process_); }

 private:
  UniqueHandle process_;
};

std::wstring HostFolderAsWindows(const char* variable) {
  const char* value = std::getenv(variable);
  return installer::ToWide(value ? value : "");
}

// ============================================================================
// Registry helpers of the test (the installer only reads)
// ============================================================================

// A key under HKEY_LOCAL_MACHINE that lives as long as the object.
class TemporaryKey {
 public:
  explicit TemporaryKey(std::wstring subKey) : subKey_(std::move(subKey)) {
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  ~TemporaryKey() {
    if (key_) RegCloseKey(key_);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, subKey_.c_str());
  }
  TemporaryKey(const TemporaryKey&) = delete;
  TemporaryKey& operator=(const TemporaryKey&) = delete;

  void SetString(const std::wstring& name, const std::wstring& value) {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes),
              ERROR_SUCCESS);
  }

 private:
  std::wstring subKey_;
  HKEY key_ = nullptr;
};

std::vector<std::wstring> UninstallEntriesInEnumerationOrder() {
  std::vector<std::wstring> names;
  HKEY list = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, installer::kUninstallListKey, 0, KEY_READ, &list) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(list, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(list);
  return names;
}

// ============================================================================
// Fixture: the real system, a loopback update server, the real %TEMP%
// ============================================================================

class ProbeOnWindows : public ::testing::Test {
 protected:
  ProbeOnWindows()
      : model_(ui::EventQueuer(queue_, events_)),
        engine_(model_, installer::Services().ExpandEnvironment(L"%TMP%") + L"\\KovoPlugin.Installer") {
    server_.Get("/Kovo3Plugin/master/win32/version.txt",
                [this](const httplib::Request&, httplib::Response& response) {
                  std::lock_guard<std::mutex> lock(offeredMutex_);
                  response.set_content(offered_, "text/plain");
                });
    const int port = server_.bind_to_any_port("127.0.0.1");
    serverThread_ = std::thread([this] { server_.listen_after_bind(); });
    kovo::testing::WaitUntil([this] { return server_.is_running(); });
    engine_.SetUpdateServer({"127.0.0.1", port});
  }
  ~ProbeOnWindows() override {
    server_.stop();
    serverThread_.join();
  }

  installer::PageData& Data() { return *model_.Access(); }
  void Offer(const std::string& version) {
    std::lock_guard<std::mutex> lock(offeredMutex_);
    offered_ = version;
  }

  kovo::testing::LogCapture log_;
  ui::EventSystem events_;
  ui::SafeQueue queue_;
  installer::PageModel model_;
  installer::InstallerEngine engine_;
  std::mutex offeredMutex_;
  std::string offered_ = kOfferedVersion;
  httplib::Server server_;
  std::thread serverThread_;
};

TEST_F(ProbeOnWindows, WithNothingInstalledDecidesToInstall) {
  ASSERT_TRUE(installer::FindProductCode().empty()) << "a fresh prefix lists no plugin";

  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultOk);

  EXPECT_EQ(Data().errorKind, 0);
  EXPECT_EQ(Data().missingSpaceMb, 0);
  EXPECT_FALSE(Data().installed);
  EXPECT_TRUE(Data().productCode.empty());
  EXPECT_TRUE(Data().installedVersion.empty());
  EXPECT_TRUE(Data().willInstall);
  EXPECT_EQ(Data().stage, installer::PageStage::Options);
  EXPECT_EQ(Data().installPath, installer::kDefaultInstallPath);
  EXPECT_EQ(kovo::testing::ReadFile(engine_.WorkingFolder() + L"\\version.txt"), kOfferedVersion);
  EXPECT_TRUE(log_.Contains("Win Ver: ")) << "RtlGetVersion answers under Wine";
  EXPECT_TRUE(log_.Contains("Root name: C:"));
  EXPECT_TRUE(log_.Contains("CheckPluginInstall.exist version: 0.0.0.0"));
  EXPECT_TRUE(log_.Contains("CheckPluginInstall.Will install new version"));
}

TEST_F(ProbeOnWindows, OfTwoMatchingUninstallEntriesTheFirstEnumeratedWins) {
  const std::wstring list = installer::kUninstallListKey;
  // Written in an order unlike any sorted one, so that the registry's own
  // enumeration order decides.
  const std::pair<std::wstring, std::wstring> entries[] = {
      {L"{C0000000-0000-0000-0000-000000000003}", L"Lumo Plugin"},
      {L"{A0000000-0000-0000-0000-000000000001}", L"lumo plugin"},
      {L"{D0000000-0000-0000-0000-000000000004}", L"Other Product"},
      {L"{B0000000-0000-0000-0000-000000000002}", L"КОВО Плагин"},
  };
  std::vector<std::unique_ptr<TemporaryKey>> keys;
  for (const auto& [code, name] : entries) {
    keys.push_back(std::make_unique<TemporaryKey>(list + L"\\" + code));
    keys.back()->SetString(L"DisplayName", name);
  }
  std::wstring expected;
  for (const auto& code : UninstallEntriesInEnumerationOrder()) {
    if (code == entries[0].first || code == entries[3].first) {
      expected = code;
      break;
    }
  }
  ASSERT_FALSE(expected.empty());

  EXPECT_EQ(Narrow(installer::FindProductCode()), Narrow(expected));
  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultOk);
  EXPECT_EQ(Data().productCode, Narrow(expected));
  EXPECT_FALSE(Data().installed) << "no registered install folder";
  EXPECT_TRUE(log_.Contains("Msi Product code: " + Narrow(expected)));
  EXPECT_TRUE(log_.Contains("Check on running: service: 0 plugin: 0"));
}

// The stand-in plugin's recommended x64 package, installed with msiexec into a
// folder of its own, as a real installation is found.
TEST_F(ProbeOnWindows, FindsTheInstalledStandInAndWhetherItsServiceAndProgramRun) {
  const std::wstring package = HostFolderAsWindows("KOVO_BUILD_DIR") +
                               L"\\stand-in\\update-server\\Kovo3Plugin\\master\\win32\\kovo3plugin-setup.msi";
  const std::wstring folder = L"C:\\Probe Test\\Veltra Company Ltd\\KOVO3Plugin";
  const std::wstring log = HostFolderAsWindows("KOVO_ARTIFACTS_DIR") + L"\\stand-in-install.log";
  ASSERT_EQ(RunAndWait(L"msiexec.exe /i \"" + package + L"\" INSTALLLOCATION=\"" + folder + L"\" /qn /l*v \"" +
                       log + L"\""),
            0u);
  const std::string installedVersion = kovo::settings::kPluginVersion;

  // The offered version is the installed one: nothing to do.
  Offer(installedVersion);
  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultAbort);
  EXPECT_EQ(Data().installPath, Narrow(folder));
  EXPECT_TRUE(Data().installed);
  EXPECT_EQ(Data().installedVersion, installedVersion);
  EXPECT_EQ(Data().productCode, "{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F01}");
  EXPECT_FALSE(Data().serviceRunning);
  EXPECT_FALSE(Data().pluginRunning);
  EXPECT_FALSE(Data().willInstall);
  EXPECT_EQ(Data().stage, installer::PageStage::Success);
  EXPECT_TRUE(log_.Contains("CheckPluginInstall.Skip install new version"));

  // This test's own process keeps Wine's session, and with it the service, alive.
  ASSERT_EQ(RunAndWait(L"sc start KOVO3Plugin"), 0u);
  const RunningProgram plugin(L"\"" + folder + L"\\kovo3plugin.exe\" --wait");
  ASSERT_TRUE(plugin);
  Offer("21.6225.57.0");
  Data().stage = installer::PageStage::Options;
  Data().willInstall = true;

  EXPECT_TRUE(kovo::testing::WaitUntil(
      [this] {
        engine_.EnvironmentProbe();
        return Data().serviceRunning && Data().pluginRunning;
      },
      std::chrono::seconds(20)));
  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultOk);
  EXPECT_TRUE(Data().installed);
  EXPECT_TRUE(log_.Contains("Check on running: service: 1 plugin: 1"));
  EXPECT_TRUE(log_.Contains("CheckPluginInstall.Will install new version"));

  RunAndWait(L"sc stop KOVO3Plugin");
}

}  // namespace
