// The environment probe against a scripted operating system and a real update
// server on loopback.
#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <kovo-ui-imgui/events/event_queuer.h>

#include "installer/controller/installer_engine.h"
#include "installer/installed_product.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using installer::InstallTypes;
using installer::PageStage;
using installer::RegistryRoot;
using kovo::testing::FakeSystemServices;

namespace {

constexpr std::uint64_t kMiB = 1u << 20;
constexpr char kVersionPath[] = "/Kovo3Plugin/master/win32/version.txt";
const std::wstring kUninstallList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kProductCode = L"{6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}";

// ============================================================================
// A real update server on 127.0.0.1 with an ephemeral port
// ============================================================================

class UpdateServer {
 public:
  UpdateServer() {
    server_.Get(kVersionPath, [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard<std::mutex> lock(mutex_);
      ++requests_;
      if (onRequest_) onRequest_();
      response.status = status_;
      response.set_content(versionText_, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop before the accept loop runs would be lost, and the join would hang.
    kovo::testing::WaitUntil([this] { return server_.is_running(); });
  }
  ~UpdateServer() {
    server_.stop();
    thread_.join();
  }

  int Port() const { return port_; }
  void Serve(std::string versionText, int status = 200) {
    std::lock_guard<std::mutex> lock(mutex_);
    versionText_ = std::move(versionText);
    status_ = status;
  }
  void OnRequest(std::function<void()> action) {
    std::lock_guard<std::mutex> lock(mutex_);
    onRequest_ = std::move(action);
  }
  int Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::string versionText_ = "21.6225.56.0";
  int status_ = 200;
  int requests_ = 0;
  std::function<void()> onRequest_;
};


// The scripted system, whose existence tests can also fail the way the file
// system's do when a path cannot be examined (no access, a broken share).
class ProbeSystem : public FakeSystemServices {
 public:
  bool programFileUnexaminable = false;
  bool workingFolderUnexaminable = false;

  bool FileExists(const std::wstring& path) override {
    if (programFileUnexaminable && path.find(L"kovo3plugin.exe") != std::wstring::npos) ThrowAccessDenied();
    return FakeSystemServices::FileExists(path);
  }
  std::uint32_t CreateFolder(const std::wstring& path) override {
    if (workingFolderUnexaminable) ThrowAccessDenied();
    return FakeSystemServices::CreateFolder(path);
  }

 private:
  [[noreturn]] static void ThrowAccessDenied() {
    throw fs::filesystem_error("status", std::make_error_code(std::errc::permission_denied));
  }
};

// A port on which nothing listens any more.
int ClosedPort() {
  UpdateServer stopped;
  return stopped.Port();
}

// ============================================================================
// Fixture: a computer with a recent Windows, plenty of space on C: and
// nothing installed
// ============================================================================

class EnvironmentProbe : public ::testing::Test {
 protected:
  EnvironmentProbe()
      : scope_(system_),
        model_(ui::EventQueuer(queue_, events_)),
        workingFolder_(temp_.Path() / "KovoPlugin.Installer"),
        engine_(model_, workingFolder_.wstring()) {
    engine_.SetUpdateServer({"127.0.0.1", server_.Port()});
    SetFreeSpace(L"C:", 100000 * kMiB);
  }

  void SetFreeSpace(const std::wstring& root, std::uint64_t freeBytes) {
    system_.disks[root] = installer::SpaceInfo{freeBytes * 2, freeBytes, freeBytes / 2};
  }

  // The registry and files an installation of the plugin leaves behind.
  fs::path InstallPlugin(const std::string& version, bool withProgram = true, bool withUninstallEntry = true,
                         const std::string& folderName = "Lumo") {
    const fs::path folder = temp_.Path() / fs::u8path(folderName);
    fs::create_directories(folder);
    if (withProgram) kovo::testing::WriteFile(folder / "kovo3plugin.exe", "MZ");
    system_.SetRegistryString(RegistryRoot::LocalMachine, installer::kPluginRegistryKey, L"Path",
                              installer::ToWide(folder.u8string()));
    system_.SetRegistryString(RegistryRoot::LocalMachine, installer::kPluginRegistryKey, L"Version",
                              std::wstring(version.begin(), version.end()));
    if (withUninstallEntry) {
      system_.registrySubKeys[{RegistryRoot::LocalMachine, kUninstallList}] = {L"{00000000-0000-0000-0000-00000000000A}",
                                                                           kProductCode};
      system_.SetRegistryString(RegistryRoot::LocalMachine, kUninstallList + L"\\" + kProductCode, L"DisplayName",
                                L"КОВО Плагин");
    }
    return folder;
  }

  // A rerun from the options page, whose folder is on drive C:.
  void ResetPage() {
    installer::PageData& data = Data();
    data.installPath = installer::kDefaultInstallPath;
    data.installed = false;
    data.productCode.clear();
    data.stage = PageStage::Options;
    data.willInstall = true;
  }

  installer::Result Probe() { return engine_.EnvironmentProbe(); }
  installer::PageData& Data() { return *model_.Access(); }

  // The probe's own records, in order.
  std::vector<std::string> ProbeRecords() const {
    std::vector<std::string> records;
    for (const auto& line : log_.Lines()) {
      if (line.find("environment_probe.cpp:") == std::string::npos) continue;
      EXPECT_NE(line.find(" DEBUG "), std::string::npos) << line;
      records.push_back(line.substr(line.find("]\t", line.find("\t[")) + 2));
    }
    return records;
  }
  bool Logged(const std::string& record) const {
    const auto records = ProbeRecords();
    return std::find(records.begin(), records.end(), record) != records.end();
  }

  kovo::testing::TempFolder temp_;
  kovo::testing::LogCapture log_;
  ProbeSystem system_;
  installer::ScopedSystemServices scope_;
  ui::EventSystem events_;
  ui::SafeQueue queue_;
  installer::PageModel model_;
  UpdateServer server_;
  fs::path workingFolder_;
  installer::InstallerEngine engine_;
};

// ============================================================================
// Windows version
// ============================================================================

TEST_F(EnvironmentProbe, RefusesWindowsOlderThanSevenWithServicePackOne) {
  const struct {
    installer::WindowsVersion version;
    bool refused;
  } cases[] = {
      {{6, 1, 7600, 0, 0}, true},   // Windows 7 without a service pack
      {{6, 1, 7600, 0, 9}, true},
      {{6, 0, 6002, 2, 0}, true},   // Vista SP2
      {{5, 1, 2600, 3, 0}, true},
      {{6, 1, 7600, 1, 0}, false},  // Windows 7 SP1 on the old build number
      {{6, 1, 7601, 0, 0}, false},
      {{6, 1, 7601, 1, 0}, false},
      {{6, 2, 9200, 0, 0}, false},
      {{10, 0, 19045, 0, 0}, false},
  };
  for (const auto& c : cases) {
    const auto& v = c.version;
    SCOPED_TRACE(std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) + " SP" +
                 std::to_string(v.servicePackMajor) + "." + std::to_string(v.servicePackMinor));
    system_.windowsVersion = v;
    Data().stage = PageStage::Options;
    const int requestsBefore = server_.Requests();

    const auto result = Probe();

    EXPECT_TRUE(Logged("Win Ver: " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                       std::to_string(v.build)));
    EXPECT_TRUE(Logged("Win SP: " + std::to_string(v.servicePackMajor) + "." + std::to_string(v.servicePackMinor)));
    if (c.refused) {
      EXPECT_EQ(result, installer::kResultAbort);
      EXPECT_EQ(Data().errorKind, 2);
      EXPECT_EQ(Data().stage, PageStage::Failure);
      EXPECT_EQ(server_.Requests(), requestsBefore) << "the probe went on after refusing";
    } else {
      EXPECT_EQ(result, installer::kResultOk);
      EXPECT_EQ(Data().errorKind, 0);
      EXPECT_EQ(Data().stage, PageStage::Options);
    }
  }
}

TEST_F(EnvironmentProbe, WithoutAVersionQueryTheCheckIsSkipped) {
  system_.windowsVersion.reset();
  EXPECT_EQ(Probe(), installer::kResultOk);
  EXPECT_EQ(Data().errorKind, 0);
  EXPECT_FALSE(log_.Contains("Win Ver: "));
  EXPECT_FALSE(log_.Contains("Win SP: "));
  EXPECT_TRUE(Logged("Install path: C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin"));
}

// ============================================================================
// Free space
// ============================================================================

TEST_F(EnvironmentProbe, RequiresTwiceTheInstallTypesSpaceFigureInWholeMebibytes) {
  const struct {
    InstallTypes type;
    std::uint64_t freeBytes;
    std::int32_t missingMb;
  } cases[] = {
      {InstallTypes::Min, 160 * kMiB, 0},
      {InstallTypes::Min, 160 * kMiB - kMiB / 2, 0},  // half a mebibyte short rounds down to nothing
      {InstallTypes::Min, 100 * kMiB, 60},
      {InstallTypes::Min, 0, 160},
      {InstallTypes::Recommended, 700 * kMiB, 0},
      {InstallTypes::Recommended, 700 * kMiB - 1, 0},
      {InstallTypes::Recommended, 699 * kMiB - 1, 1},
      {InstallTypes::Full, 1000 * kMiB, 320},
      {InstallTypes::Custom, 1320 * kMiB, 0},
      {InstallTypes::Custom, 1319 * kMiB, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("type " + std::to_string(static_cast<int>(c.type)) + ", free " + std::to_string(c.freeBytes));
    SetFreeSpace(L"C:", c.freeBytes);
    Data().installType = c.type;
    // The probe reruns from a page that shows the result of the last one.
    Data().stage = PageStage::Success;
    Data().missingSpaceMb = -1;

    const auto result = Probe();

    EXPECT_EQ(Data().missingSpaceMb, c.missingMb);
    EXPECT_EQ(Data().stage, PageStage::Success);
    if (c.missingMb != 0) {
      EXPECT_EQ(result, installer::kResultAbort);
      EXPECT_EQ(Data().errorKind, 5);
      EXPECT_TRUE(Logged("Need space: " + std::to_string(c.missingMb)));
    } else {
      EXPECT_EQ(result, installer::kResultOk);
      EXPECT_EQ(Data().errorKind, 0);
    }
  }
}

TEST_F(EnvironmentProbe, ChoosingAFolderOnADiskWithRoomClearsTheSpaceWarning) {
  SetFreeSpace(L"D:", 10 * kMiB);
  Data().installPath = "D:\\Apps";
  EXPECT_EQ(Probe(), installer::kResultAbort);
  EXPECT_EQ(Data().errorKind, 5);
  EXPECT_EQ(Data().missingSpaceMb, 690);
  EXPECT_EQ(server_.Requests(), 0);

  Data().installPath = "C:\\Apps";
  EXPECT_EQ(Probe(), installer::kResultOk);
  EXPECT_EQ(Data().errorKind, 0);
  EXPECT_EQ(Data().missingSpaceMb, 0);
  EXPECT_EQ(Data().stage, PageStage::Options);
  EXPECT_TRUE(Logged("Root name: D:"));
  EXPECT_TRUE(Logged("Root name: C:"));
}

// A folder whose disk cannot be asked (no drive in the path, an unreachable
// share) cannot take the installation: the user gets the space warning with
// the whole requirement missing, and can pick another folder.
TEST_F(EnvironmentProbe, AnUnqueryableDiskCountsAsFullInsteadOfEndingTheProbe) {
  const struct {
    std::string installPath;
    std::string rootName;
  } cases[] = {
      {"E:\\Apps", "E:"},  // no such drive
      {"\\\\fileserver\\share\\Apps", "\\\\fileserver"},
      {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\Veltra Company Ltd\\KOVO3Plugin\\", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.installPath);
    Data().installPath = c.installPath;
    Data().installType = InstallTypes::Min;

    EXPECT_EQ(Probe(), installer::kResultAbort);

    EXPECT_EQ(Data().errorKind, 5);
    EXPECT_EQ(Data().missingSpaceMb, 160);
    EXPECT_EQ(Data().stage, PageStage::Options);
    EXPECT_TRUE(Logged("Root name: " + c.rootName));
    EXPECT_TRUE(log_.Contains("Free space unknown"));
  }
  EXPECT_EQ(server_.Requests(), 0);
}

// ============================================================================
// Working folder and offered version
// ============================================================================

TEST_F(EnvironmentProbe, AWorkingFolderThatCannotBeCreatedEndsWithKindFour) {
  installer::InstallerEngine engine(model_, (temp_.Path() / "missing-parent" / "KovoPlugin.Installer").wstring());
  engine.SetUpdateServer({"127.0.0.1", server_.Port()});

  EXPECT_EQ(engine.EnvironmentProbe(), installer::kResultAbort);

  EXPECT_EQ(Data().errorKind, 4);
  EXPECT_EQ(Data().stage, PageStage::Failure);
  EXPECT_EQ(server_.Requests(), 0);
}

TEST_F(EnvironmentProbe, AWorkingFolderThatCannotBeExaminedEndsWithKindFour) {
  system_.workingFolderUnexaminable = true;

  EXPECT_EQ(Probe(), installer::kResultAbort);

  EXPECT_EQ(Data().errorKind, 4);
  EXPECT_EQ(Data().stage, PageStage::Failure);
  EXPECT_TRUE(log_.Contains("Working folder not creatable: "));
}

TEST_F(EnvironmentProbe, CreatesTheWorkingFolderAndKeepsTheOfferedVersionThere) {
  server_.Serve("21.6225.56.0\n");
  EXPECT_EQ(Probe(), installer::kResultOk);
  EXPECT_EQ(kovo::testing::ReadFile(workingFolder_ / "version.txt"), "21.6225.56.0\n");
  EXPECT_EQ(server_.Requests(), 1);
}

TEST_F(EnvironmentProbe, AVersionDownloadThatFailsEndsWithKindThree) {
  InstallPlugin("21.6225.55.0");
  const struct {
    std::string name;
    std::function<void()> arrange;
    int requests;
  } cases[] = {
      {"server answers 404", [&] { server_.Serve("<html>Not Found</html>", 404); }, 1},
      {"server answers 500", [&] { server_.Serve("", 500); }, 1},
      {"nothing listens", [&] { engine_.SetUpdateServer({"127.0.0.1", ClosedPort()}); }, 0},
      {"user cancelled during the download",
       [&] {
         std::atomic<bool>& proceed = Data().proceed;
         server_.OnRequest([&proceed] { proceed = false; });
       },
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.Serve("21.6225.56.0");
    server_.OnRequest(nullptr);
    engine_.SetUpdateServer({"127.0.0.1", server_.Port()});
    c.arrange();
    ResetPage();
    const int requestsBefore = server_.Requests();

    EXPECT_EQ(Probe(), installer::kResultAbort);

    EXPECT_EQ(server_.Requests() - requestsBefore, c.requests);
    EXPECT_EQ(Data().errorKind, 3);
    EXPECT_EQ(Data().stage, PageStage::Failure);
    EXPECT_FALSE(Data().installed) << "the probe went on after the failed download";
    EXPECT_TRUE(Data().productCode.empty());
  }
}

// ============================================================================
// Installed plugin
// ============================================================================

TEST_F(EnvironmentProbe, FindsTheInstalledPluginsFolderVersionProductCodeAndRunningState) {
#if defined(_WIN32)
  const std::string folderName = "КОВО Плагин";
#else
  const std::string folderName = "Lumo Plugin";  // libstdc++ converts wide paths with non-ASCII text only on Windows
#endif
  const fs::path folder = InstallPlugin("21.6225.55", true, true, folderName);
  system_.serviceRunning = true;
  system_.pluginRunning = false;

  EXPECT_EQ(Probe(), installer::kResultOk);

  EXPECT_EQ(Data().installPath, folder.u8string());
  EXPECT_TRUE(Data().installed);
  EXPECT_EQ(Data().productCode, "{6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}");
  EXPECT_TRUE(Data().serviceRunning);
  EXPECT_FALSE(Data().pluginRunning);
  EXPECT_EQ(Data().installedVersion, "21.6225.55") << "the registry text as stored";
  EXPECT_TRUE(Logged("Msi Product code: {6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}"));
  EXPECT_TRUE(Logged("Check on running: service: 1 plugin: 0"));
  EXPECT_TRUE(Logged("CheckPluginInstall.exist version: 21.6225.55.0"));
  for (int view : system_.registryViewsSeen) EXPECT_EQ(view, installer::kRegistryViewDefault);
}

TEST_F(EnvironmentProbe, ARegisteredFolderWithoutTheProgramKeepsTheUsersFolder) {
  InstallPlugin("21.6225.55.0", /*withProgram=*/false);
  Data().installPath = "C:\\Apps";

  EXPECT_EQ(Probe(), installer::kResultOk);

  EXPECT_EQ(Data().installPath, "C:\\Apps");
  EXPECT_FALSE(Data().installed);
  EXPECT_EQ(Data().productCode, "{6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}");
  EXPECT_EQ(Data().installedVersion, "21.6225.55.0");
}

// Registry values left behind by a product that Windows no longer lists: the
// plugin counts as not installed, whatever the folder holds.
TEST_F(EnvironmentProbe, WithoutAnUninstallEntryNothingCountsAsInstalled) {
  InstallPlugin("21.6225.57.0", true, /*withUninstallEntry=*/false);
  Data().installed = true;
  system_.serviceRunning = true;

  EXPECT_EQ(Probe(), installer::kResultOk);

  EXPECT_FALSE(Data().installed);
  EXPECT_TRUE(Data().productCode.empty());
  EXPECT_TRUE(Data().installedVersion.empty());
  EXPECT_FALSE(Data().serviceRunning) << "running state is only asked of an installed product";
  EXPECT_TRUE(Logged("Msi Product code: "));
  EXPECT_TRUE(Logged("CheckPluginInstall.exist version: 0.0.0.0"));
  EXPECT_TRUE(Logged("CheckPluginInstall.Will install new version"));
}

TEST_F(EnvironmentProbe, AProgramFileThatCannotBeExaminedCountsAsNotThere) {
  InstallPlugin("21.6225.55.0");
  system_.programFileUnexaminable = true;
  Data().installPath = "C:\\Apps";

  EXPECT_EQ(Probe(), installer::kResultOk);

  EXPECT_EQ(Data().installPath, "C:\\Apps");
  EXPECT_FALSE(Data().installed);
  EXPECT_EQ(Data().productCode, "{6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}");
  EXPECT_TRUE(log_.Contains("Program file not examinable: "));
}

// ============================================================================
// Install decision
// ============================================================================

TEST_F(EnvironmentProbe, InstallsOnlyANewerOfferedVersionUnlessAReinstallWasAsked) {
  const struct {
    std::string installed;  // empty: nothing installed
    std::string offered;
    bool reinstall;
    bool install;
    std::string decisionRecord;  // empty: none
  } cases[] = {
      {"21.6225.55.0", "21.6225.56", false, true, "CheckPluginInstall.Will install new version"},
      {"21.6225.55", "21.6225.55.0", false, false, "CheckPluginInstall.Skip install new version"},
      {"21.6225.55", "21.6225.55.0", true, true, ""},
      {"21.6225.57.0", "21.6225.56.0", false, false, "CheckPluginInstall.Skip install new version"},
      {"21.6225.57.0", "21.6225.56.0", true, true, ""},
      {"", "21.6225.56.0\r\n", false, true, "CheckPluginInstall.Will install new version"},
      {"21.6225.55.0", "21.6225.56.0\n1.0.0.0\n", false, true, "CheckPluginInstall.Will install new version"},
      {"21.6225.56.0", "21.6225.56.0\n99.0.0.0\n", false, false, "CheckPluginInstall.Skip install new version"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.installed + " -> " + c.offered + (c.reinstall ? " (reinstall)" : ""));
    system_.registryValues.clear();
    system_.registrySubKeys.clear();
    if (!c.installed.empty()) InstallPlugin(c.installed);
    server_.Serve(c.offered);
    ResetPage();
    Data().reinstall = c.reinstall;
    const auto recordsBefore = ProbeRecords().size();

    const auto result = Probe();

    EXPECT_EQ(result, c.install ? installer::kResultOk : installer::kResultAbort);
    EXPECT_EQ(Data().willInstall, c.install);
    EXPECT_EQ(Data().stage, c.install ? PageStage::Options : PageStage::Success);
    EXPECT_EQ(Data().errorKind, 0);
    const auto records = ProbeRecords();
    const std::string last = records.back();
    if (c.decisionRecord.empty()) {
      EXPECT_EQ(last.rfind("CheckPluginInstall.new version: ", 0), 0u) << last;
    } else {
      EXPECT_EQ(last, c.decisionRecord);
    }
    EXPECT_GT(records.size(), recordsBefore);
  }
}

// A version file that reads as 0.0.0.0 (empty, a byte-order mark before the
// number, an error page) tells nothing about the offered version; it must not
// end on the "already installed" page, least of all when nothing is installed.
TEST_F(EnvironmentProbe, AnUnreadableOfferedVersionIsAFailedVersionDownload) {
  const std::string unreadable[] = {
      "",
      "\xEF\xBB\xBF" "21.6225.56.0",
      "<html><body>Service Unavailable</body></html>",
      "\n21.6225.56.0",
  };
  for (const bool installed : {false, true}) {
    for (const auto& text : unreadable) {
      SCOPED_TRACE((installed ? "installed, offered '" : "nothing installed, offered '") + text + "'");
      system_.registryValues.clear();
      system_.registrySubKeys.clear();
      if (installed) InstallPlugin("21.6225.55.0");
      server_.Serve(text);
      ResetPage();

      EXPECT_EQ(Probe(), installer::kResultAbort);

      EXPECT_TRUE(Logged("CheckPluginInstall.new version: 0.0.0.0"));
      EXPECT_EQ(Data().errorKind, 3);
      EXPECT_EQ(Data().stage, PageStage::Failure);
      EXPECT_TRUE(Data().willInstall);
      EXPECT_EQ(Data().installed, installed);
    }
  }
}

// ============================================================================
// The whole run
// ============================================================================

TEST_F(EnvironmentProbe, LogsEveryStepInOrder) {
  system_.windowsVersion = installer::WindowsVersion{6, 1, 7601, 1, 0};
  InstallPlugin("21.6225.55.0");
  system_.pluginRunning = true;
  server_.Serve("21.6225.56.0");

  EXPECT_EQ(Probe(), installer::kResultOk);

  const std::vector<std::string> expected = {
      "Win Ver: 6.1.7601",
      "Win SP: 1.0",
      "Install path: C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin",
      "Root name: C:",
      "Msi Product code: {6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}",
      "Check on running: service: 0 plugin: 1",
      "CheckPluginInstall.exist version: 21.6225.55.0",
      "CheckPluginInstall.new version: 21.6225.56.0",
      "CheckPluginInstall.Will install new version",
  };
  EXPECT_EQ(ProbeRecords(), expected);
}

}  // namespace
