// The installer page controller through its handlers: a scripted operating
// system, the real engine, a real update server on loopback, the real worker
// thread. The test thread plays the logic thread and dispatches the page's
// events the way the logic thread does.
#include <gtest/gtest.h>
#include <httplib.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/headless/null_gui_context.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "installer/controller/installer_page_controller.h"
#include "installer/error_catalogue.h"
#include "installer/install_history.h"
#include "installer/installed_product.h"
#include "installer/msi_test_support.h"
#include "installer/outside_components.h"
#include "installer/program_options.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "kovo_settings.h"
#include "signature/fake_signature_verifier.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
namespace page = installer::Events::InstallPageView;
namespace fs = std::filesystem;
using installer::InstallPhase;
using installer::InstallTypes;
using installer::PageStage;
using installer::RegistryRoot;
using kovo::testing::WaitUntil;

namespace {

using namespace std::chrono_literals;

constexpr char kVersionPath[] = "/Kovo3Plugin/master/win32/version.txt";
constexpr char kOfferedVersion[] = "2.0.0.0";
constexpr std::size_t kPackageSize = 256 * 1024;
constexpr std::uint64_t kMiB = 1u << 20;
const std::wstring kUninstallList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kProductCode = L"{6F1D2B3A-7C4E-4E5B-9A1D-2B3C4D5E6F70}";

// ============================================================================
// The update server: the version file and the packages of every install type
// ============================================================================

class UpdateServer {
 public:
  enum class Package {
    Whole,    // the package at once
    Held,     // a byte every 10 ms until Release, then the rest
    Missing,  // 404
  };

  UpdateServer() {
    server_.Get(kVersionPath, [this](const httplib::Request& request, httplib::Response& response) {
      Record(request.path);
      response.status = VersionStatus();
      response.set_content(Version(), "text/plain");
    });
    server_.Get(R"(/Kovo3Plugin/master/.*\.msi)",
                [this](const httplib::Request& request, httplib::Response& response) {
                  Record(request.path);
                  if (CurrentPackage() == Package::Missing) {
                    response.status = 404;
                    response.set_content("not here", "text/plain");
                    return;
                  }
                  response.set_content_provider(
                      kPackageSize, "application/octet-stream",
                      [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                        if (CurrentPackage() == Package::Held && offset + 1 < kPackageSize) {
                          ++heldBytes_;
                          std::this_thread::sleep_for(10ms);
                          return sink.write("M", 1);
                        }
                        const std::string rest(std::min<std::size_t>(length, 64 * 1024), 'M');
                        return sink.write(rest.data(), rest.size());
                      });
                });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    WaitUntil([this] { return server_.is_running(); });
  }
  ~UpdateServer() {
    Serve(Package::Whole);
    server_.stop();
    thread_.join();
  }

  int Port() const { return port_; }
  void Serve(Package package) {
    std::lock_guard<std::mutex> lock(mutex_);
    package_ = package;
  }
  void ServeVersionStatus(int status) {
    std::lock_guard<std::mutex> lock(mutex_);
    versionStatus_ = status;
  }
  void Release() { Serve(Package::Whole); }
  // The package has begun to arrive and is being held.
  bool Holding() const { return heldBytes_ > 2; }
  int Requests(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int count = 0;
    for (const auto& path : requests_) count += path.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
  }

 private:
  std::string Version() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return version_;
  }
  int VersionStatus() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return versionStatus_;
  }
  Package CurrentPackage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return package_;
  }
  void Record(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(path);
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::string version_ = kOfferedVersion;
  int versionStatus_ = 200;
  Package package_ = Package::Whole;
  std::vector<std::string> requests_;
  std::atomic<int> heldBytes_{0};
};

// ============================================================================
// The scripted system: msiexec runs write their log and may be held
// ============================================================================

class ScriptedSystem : public kovo::testing::FakeSystemServices {
 public:
  // Written as msi_install.log by the install run (UTF-16, as msiexec writes it).
  std::vector<std::string> installLog;
  fs::path workingFolder;

  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters,
                           std::uint32_t* exitCode, bool wait) override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ++runs_;
      running_.notify_all();
      released_.wait(lock, [this] { return !hold_; });
    }
    if (parameters.rfind(L"/i", 0) == 0 && !installLog.empty()) {
      kovo::testing::WriteInstallerLog(workingFolder / "msi_install.log", installLog);
    }
    std::lock_guard<std::mutex> lock(callsMutex_);
    return FakeSystemServices::RunProcess(program, parameters, exitCode, wait);
  }

  // The calls so far; the worker may still be making more.
  std::vector<ProcessCall> Calls() const {
    std::lock_guard<std::mutex> lock(callsMutex_);
    return processCalls;
  }

  void HoldRuns() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = true;
  }
  void ReleaseRuns() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = false;
    released_.notify_all();
  }
  bool WaitForRun() {
    std::unique_lock<std::mutex> lock(mutex_);
    return running_.wait_for(lock, 10s, [this] { return runs_ > 0; });
  }

 private:
  mutable std::mutex callsMutex_;
  std::mutex mutex_;
  std::condition_variable running_;
  std::condition_variable released_;
  bool hold_ = false;
  int runs_ = 0;
};

// ============================================================================
// The rig: a recent Windows with room on C:, nothing installed, a newer
// version offered
// ============================================================================

class PageRig {
 public:
  PageRig() : scope_(system) {
    // The build's publisher signed every package unless a test says otherwise.
    verifier.answer = {installer::SignatureVerdict::Signed, kovo::settings::kPackageSigner, 0};
    system.environment[L"TMP"] = temp.Path().wstring();
    system.workingFolder = temp.Path() / "KovoPlugin.Installer";
    SetFreeSpace(L"C:", 100000 * kMiB);
    connections_.Add(events.Connect<installer::Events::UIEvents::ShouldQuit>(
        [this](const installer::Events::UIEvents::ShouldQuit&) { ++quits; }));
  }
  ~PageRig() { EndController(); }

  void SetFreeSpace(const std::wstring& root, std::uint64_t freeBytes) {
    system.disks[root] = installer::SpaceInfo{freeBytes * 2, freeBytes, freeBytes};
  }

  // What an installed plugin of the offered version leaves in the registry.
  void InstallPlugin() {
    const fs::path folder = temp.Path() / "Installed";
    fs::create_directories(folder);
    kovo::testing::WriteFile(folder / "kovo3plugin.exe", "MZ");
    system.SetRegistryString(RegistryRoot::LocalMachine, installer::kPluginRegistryKey, L"Path",
                             folder.wstring());
    system.SetRegistryString(RegistryRoot::LocalMachine, installer::kPluginRegistryKey, L"Version",
                             installer::ToWide(kOfferedVersion));
    system.registrySubKeys[{RegistryRoot::LocalMachine, kUninstallList}] = {kProductCode};
    system.SetRegistryString(RegistryRoot::LocalMachine, kUninstallList + L"\\" + kProductCode,
                             L"DisplayName", L"КОВО Плагин");
  }

  void Build() {
    controller = std::make_unique<installer::InstallerPageController>(
        context, installer::UpdateServer{"127.0.0.1", server.Port()});
  }

  // Destroys the controller and waits until no worker runs any more.
  void EndController() {
    if (!controller) return;
    server.Release();
    system.ReleaseRuns();
    const auto shared = controller->SharedState();
    controller.reset();
    EXPECT_TRUE(WaitUntil([&] { return shared.expired(); }, 20s)) << "a worker never ended";
  }

  // As the logic thread dispatches what the views emit.
  template <typename E>
  void Send(const E& event = E{}) {
    events.Dispatch(event);
  }

  static page::StartClickedEvent Choices() {
    page::StartClickedEvent event;
    event.path = "C:\\Plugins\\Lumo";
    return event;
  }
  void Start(const page::StartClickedEvent& event = Choices()) { Send(event); }

  // Starts an installation whose download is held; returns when it is under way.
  void StartHeld(const page::StartClickedEvent& event = Choices()) {
    server.Serve(UpdateServer::Package::Held);
    Start(event);
    ASSERT_EQ(Page().stage, PageStage::Progress);
    ASSERT_TRUE(WaitUntil([&] { return server.Holding(); }, 10s)) << "the download never began";
    ASSERT_EQ(Page().phase, InstallPhase::Downloading);
  }

  // Until the worker has left the progress page.
  bool WaitForEnd() {
    return WaitUntil([this] { return Page().stage != PageStage::Progress; }, 20s);
  }
  void Finish() {
    server.Release();
    ASSERT_TRUE(WaitForEnd());
  }
  void InstallToTheEnd() {
    Start();
    ASSERT_TRUE(WaitForEnd());
  }

  const installer::PageData& Page() const { return controller->Data(); }

  std::vector<std::wstring> MsiexecRuns() const {
    std::vector<std::wstring> runs;
    for (const auto& call : system.Calls()) {
      if (call.program.find(L"msiexec.exe") != std::wstring::npos) runs.push_back(call.parameters);
    }
    return runs;
  }

  static std::wstring HistoryResult() {
    return installer::InstallHistory::Instance().Values().result;
  }
  static std::wstring HistoryType() {
    return installer::InstallHistory::Instance().Values().installType;
  }

  kovo::testing::TempFolder temp;
  kovo::testing::ProgramOptionsRestorer options;
  ScriptedSystem system;
  kovo::testing::FakeSignatureVerifier verifier;

 private:
  installer::ScopedSystemServices scope_;
  installer::ScopedSignatureVerifier verifierScope_{verifier};

 public:
  UpdateServer server;
  ui::EventSystem events;
  ui::SafeQueue queue;
  ui::NullGuiContext gui;
  ui::AppContext context{events, queue, gui};

 private:
  ui::ConnectionHolder connections_{events};

 public:
  std::atomic<int> quits{0};
  std::unique_ptr<installer::InstallerPageController> controller;
};

// ============================================================================
// The stage table, one script of user actions a row
// ============================================================================

struct StageCase {
  const char* name;
  std::function<void(PageRig&)> script;
  PageStage stage;
  std::int32_t errorKind;
  bool closeBox;
  bool cancelBox;
  int quits;
  const wchar_t* history;  // the install history's result afterwards; null: not looked at
};

// clang-format off
const StageCase kStageCases[] = {
  {"CloseOnOptionsAsks",
   [](PageRig& t) { t.Build(); t.Send<page::CloseButtonClickedEvent>(); },
   PageStage::Options, 0, true, false, 0, nullptr},
  {"NoInTheExitBoxOnlyHidesIt",
   [](PageRig& t) { t.Build(); t.Send<page::CloseButtonClickedEvent>(); t.Send<page::CloseDecision<false>>(); },
   PageStage::Options, 0, false, false, 0, nullptr},
  {"YesInTheExitBoxEnds",
   [](PageRig& t) { t.Build(); t.Send<page::CloseButtonClickedEvent>(); t.Send<page::CloseDecision<true>>(); },
   PageStage::Options, 0, true, false, 1, nullptr},
  {"CloseDuringTheDownloadAsksAndNoLetsItGoOn",
   [](PageRig& t) {
     t.Build(); t.StartHeld();
     t.Send<page::CloseButtonClickedEvent>();
     EXPECT_TRUE(t.Page().closeBox.visible);
     EXPECT_EQ(t.Page().stage, PageStage::Progress);
     t.Send<page::CloseDecision<false>>();
     t.Finish();
   },
   PageStage::Success, 0, false, false, 0, L"OK"},
  {"CloseOnSuccessEndsAtOnce",
   [](PageRig& t) { t.Build(); t.InstallToTheEnd(); t.Send<page::CloseButtonClickedEvent>(); },
   PageStage::Success, 0, false, false, 1, L"OK"},
  {"CloseOnFailureEndsAtOnce",
   [](PageRig& t) {
     t.server.Serve(UpdateServer::Package::Missing);
     t.Build(); t.InstallToTheEnd(); t.Send<page::CloseButtonClickedEvent>();
   },
   PageStage::Failure, installer::kDownloadFailed, false, false, 1, L""},
  {"CancelAsks",
   [](PageRig& t) { t.Build(); t.StartHeld(); t.Send<page::CancelClickedEvent>(); },
   PageStage::Progress, 0, false, true, 0, nullptr},
  {"CancelRefusedLetsTheDownloadGoOn",
   [](PageRig& t) {
     t.Build(); t.StartHeld();
     t.Send<page::CancelClickedEvent>(); t.Send<page::CancelDecision<false>>();
     EXPECT_TRUE(t.Page().proceed);
     t.Finish();
   },
   PageStage::Success, 0, false, false, 0, L"OK"},
  {"CancelConfirmedDuringTheDownloadReturnsToTheOptions",
   [](PageRig& t) {
     t.Build(); t.StartHeld();
     t.Send<page::CancelClickedEvent>(); t.Send<page::CancelDecision<true>>();
     ASSERT_TRUE(t.WaitForEnd());
     EXPECT_TRUE(t.system.Calls().empty()) << "nothing is installed after a cancel";
   },
   PageStage::Options, 0, false, false, 0, L""},
  {"CancelConfirmedDuringTheInstallChangesNothing",
   [](PageRig& t) {
     t.Build();
     t.system.HoldRuns();
     t.Start();
     ASSERT_TRUE(t.system.WaitForRun());
     EXPECT_EQ(t.Page().phase, InstallPhase::Installing);
     t.Send<page::CancelClickedEvent>(); t.Send<page::CancelDecision<true>>();
     t.system.ReleaseRuns();
     ASSERT_TRUE(t.WaitForEnd());
   },
   PageStage::Success, 0, false, false, 0, L"OK"},
  {"DownloadFailureWithoutCancel",
   [](PageRig& t) {
     t.server.Serve(UpdateServer::Package::Missing);
     t.Build(); t.InstallToTheEnd();
     EXPECT_TRUE(t.system.Calls().empty());
   },
   PageStage::Failure, installer::kDownloadFailed, false, false, 0, L""},
  {"InstallFailureExplainedByTheLog",
   [](PageRig& t) {
     t.system.processOutcomes.push_back({0, 1603});
     t.system.installLog = {kovo::testing::PlainLine(1), "Ошибка 1925. Недостаточно прав.",
                            kovo::testing::ActionEnded("InstallFinalize", "3")};
     t.Build(); t.InstallToTheEnd();
     EXPECT_EQ(t.Page().phase, InstallPhase::AnalysingLogs);
   },
   PageStage::Failure, 1925, false, false, 0, L"ERROR: 1925"},
  {"PackageThatCannotBeOpened",
   [](PageRig& t) { t.system.processOutcomes.push_back({0, 1620}); t.Build(); t.InstallToTheEnd(); },
   PageStage::Failure, installer::kPackageDamaged, false, false, 0, L"ERROR: 1620"},
  {"RestartRequiredWithACleanLogIsASuccess",
   [](PageRig& t) {
     t.system.processOutcomes.push_back({0, 3010});
     t.system.installLog = {kovo::testing::ActionEnded("InstallFinalize", "1")};
     t.Build(); t.InstallToTheEnd();
   },
   PageStage::Success, 0, false, false, 0, L"OK"},
  {"MsiexecThatCannotStartLeavesNoLogToExplainIt",
   [](PageRig& t) { t.system.processOutcomes.push_back({2, 0}); t.Build(); t.InstallToTheEnd(); },
   PageStage::Failure, installer::kInstallFailed, false, false, 0, L"ERROR: 1"},
  {"SkippedStagesWithAPlacedLog",
   [](PageRig& t) {
     auto& options = installer::ProgramOptions::Instance();
     options.SetDownloadPackage(false);
     options.SetInstallPackage(false);
     t.Build();
     kovo::testing::WriteInstallerLog(t.system.workingFolder / "msi_install.log",
                                      {"Ошибка 1303. Нет доступа.", kovo::testing::ActionEnded("InstallFiles", "3")});
     t.InstallToTheEnd();
     EXPECT_TRUE(t.system.Calls().empty());
     EXPECT_EQ(t.server.Requests("/Kovo3Plugin/master/win32/kovo3plugin"), 0);
   },
   PageStage::Failure, 1303, false, false, 0, L"ERROR: 1303"},
  {"AlreadyInstalledIsASuccessWithoutAnInstall",
   [](PageRig& t) { t.InstallPlugin(); t.Build(); EXPECT_FALSE(t.Page().willInstall); },
   PageStage::Success, 0, false, false, 0, nullptr},
  {"VersionFileMissingIsAFailure",
   [](PageRig& t) { t.server.ServeVersionStatus(404); t.Build(); },
   PageStage::Failure, installer::kVersionCheckFailed, false, false, 0, nullptr},
  {"ANewFolderWithoutRoomStaysOnTheOptions",
   [](PageRig& t) {
     t.Build();
     const int versionRequests = t.server.Requests(kVersionPath);
     t.SetFreeSpace(L"D:", 10 * kMiB);
     t.Send(page::ChoicePathEvent{"D:\\Lumo"});
     EXPECT_EQ(t.Page().installPath, "D:\\Lumo");
     EXPECT_EQ(t.Page().missingSpaceMb, 700 - 10);
     EXPECT_EQ(t.server.Requests(kVersionPath), versionRequests) << "the probe stops at the space check";
   },
   PageStage::Options, installer::kNotEnoughSpace, false, false, 0, nullptr},
  {"ANewFolderWithRoomRerunsTheWholeProbe",
   [](PageRig& t) {
     t.Build();
     t.SetFreeSpace(L"D:", 100000 * kMiB);
     t.Send(page::ChoicePathEvent{"D:\\Lumo"});
     EXPECT_EQ(t.server.Requests(kVersionPath), 2);
   },
   PageStage::Options, 0, false, false, 0, nullptr},
};
// clang-format on

void PrintTo(const StageCase& row, std::ostream* out) { *out << row.name; }

class StageTable : public ::testing::TestWithParam<StageCase> {
 protected:
  PageRig rig_;
};

}  // namespace

TEST_P(StageTable, Run) {
  const StageCase& row = GetParam();
  row.script(rig_);
  ASSERT_TRUE(rig_.controller);
  EXPECT_EQ(rig_.Page().stage, row.stage);
  EXPECT_EQ(rig_.Page().errorKind, row.errorKind);
  EXPECT_EQ(rig_.Page().closeBox.visible, row.closeBox);
  EXPECT_EQ(rig_.Page().cancelBox.visible, row.cancelBox);
  EXPECT_EQ(rig_.quits, row.quits);
  if (row.history) {
    EXPECT_EQ(PageRig::HistoryResult(), row.history);
  }
}

INSTANTIATE_TEST_SUITE_P(Stages, StageTable, ::testing::ValuesIn(kStageCases),
                         [](const ::testing::TestParamInfo<StageCase>& info) {
                           return info.param.name;
                         });

// ============================================================================
// What the table does not show
// ============================================================================

class PageController : public ::testing::Test {
 protected:
  PageRig rig_;
};

TEST_F(PageController, ItsBoxesAskInTheInstallersWords) {
  rig_.Build();
  const auto& close = rig_.Page().closeBox;
  EXPECT_EQ(close.id, "Подтверждение завершения");
  EXPECT_EQ(close.title, "Вы действительно хотите завершить?");
  EXPECT_EQ(close.message, "Процесс установки будет остановлен");
  EXPECT_EQ(close.yes, "Да");
  EXPECT_EQ(close.no, "Нет");
  EXPECT_FALSE(close.extra);
  const auto& cancel = rig_.Page().cancelBox;
  EXPECT_EQ(cancel.id, "Подтверждение отмены");
  EXPECT_EQ(cancel.title, "Вы действительно хотите отменить?");
  EXPECT_EQ(cancel.message, "Процесс установки будет остановлен");
  EXPECT_EQ(cancel.yes, "Да");
  EXPECT_EQ(cancel.no, "Нет");
  EXPECT_FALSE(cancel.extra);
  EXPECT_TRUE(rig_.controller->Update());
}

TEST_F(PageController, ACancelledDownloadKeepsTheChoicesAndTheNextStartUsesThem) {
  rig_.Build();
  page::StartClickedEvent choices;
  choices.path = "C:\\Мои программы\\Lumo";
  choices.installType = InstallTypes::Custom;
  choices.components = {"Signing", "Crypto"};
  choices.autoRun = false;
  choices.autoRunType = installer::AutoRunTypes::AllUsers;
  choices.desktopShortcut = false;
  rig_.StartHeld(choices);
  EXPECT_EQ(PageRig::HistoryType(), L"custom");
  EXPECT_EQ(rig_.server.Requests("/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi"), 1);
  rig_.Send<page::CancelClickedEvent>();
  rig_.Send<page::CancelDecision<true>>();
  ASSERT_TRUE(rig_.WaitForEnd());

  const auto& data = rig_.Page();
  EXPECT_EQ(data.stage, PageStage::Options);
  EXPECT_EQ(data.errorKind, 0);
  EXPECT_EQ(data.installPath, choices.path);
  EXPECT_EQ(data.installType, InstallTypes::Custom);
  EXPECT_EQ(data.components, choices.components);
  EXPECT_FALSE(data.autoRun);
  EXPECT_EQ(data.autoRunType, installer::AutoRunTypes::AllUsers);
  EXPECT_FALSE(data.desktopShortcut);
  EXPECT_FALSE(fs::exists(rig_.system.workingFolder / "kovo3plugin-setup.msi"))
      << "no partial package stays";
  EXPECT_EQ(PageRig::HistoryResult(), L"");

  rig_.server.Release();
  rig_.Start(choices);
  ASSERT_TRUE(rig_.WaitForEnd());
  EXPECT_EQ(rig_.Page().stage, PageStage::Success);
  const auto runs = rig_.MsiexecRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(runs[0].find(L"INSTALLLOCATION=\"C:\\Мои программы\\Lumo\""), std::wstring::npos)
      << runs[0];
  EXPECT_NE(runs[0].find(L"ADDLOCAL=BaseFeature,Basiccomponents,Signing,Crypto"),
            std::wstring::npos);
  EXPECT_NE(runs[0].find(L"APP_AUTORUN_TYPE=2"), std::wstring::npos);
}

TEST_F(PageController, ReinstallAfterTheAlreadyInstalledPageRemovesFirst) {
  rig_.InstallPlugin();
  rig_.Build();
  ASSERT_EQ(rig_.Page().stage, PageStage::Success);
  ASSERT_FALSE(rig_.Page().willInstall);

  rig_.Send<page::InstallNewConfigEvent>();
  EXPECT_EQ(rig_.Page().stage, PageStage::Options);
  EXPECT_TRUE(rig_.Page().willInstall);
  EXPECT_TRUE(rig_.Page().reinstall);

  rig_.InstallToTheEnd();
  EXPECT_EQ(rig_.Page().stage, PageStage::Success);
  const auto runs = rig_.MsiexecRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].rfind(L"/x" + kProductCode + L" /qn", 0), 0u) << runs[0];
  EXPECT_EQ(runs[1].rfind(L"/i ", 0), 0u) << runs[1];
  EXPECT_EQ(PageRig::HistoryResult(), L"OK");
  EXPECT_EQ(PageRig::HistoryType(), L"recommended");
}

// The publisher check between the download and msiexec (a build with a
// publisher configured; an empty one checks nothing).
TEST(PageControllerPublisher, APackageItsPublisherDidNotSignIsNeverRunAndTheInstalledCopyStays) {
  if (kovo::settings::kPackageSigner[0] == '\0') GTEST_SKIP() << "this build checks no publisher";
  for (const auto verdict :
       {installer::SignatureVerdict::Unsigned, installer::SignatureVerdict::NotVerified}) {
    SCOPED_TRACE(installer::VerdictText(verdict));
    PageRig rig;
    rig.verifier.answer = {verdict, "", 0x800B0100u};
    rig.InstallPlugin();
    rig.Build();
    rig.Send<page::InstallNewConfigEvent>();

    rig.InstallToTheEnd();

    EXPECT_EQ(rig.Page().stage, PageStage::Failure);
    EXPECT_EQ(rig.Page().errorKind, installer::kPackageDamaged);
    EXPECT_EQ(PageRig::HistoryResult(), L"ERROR: 1620");
    EXPECT_TRUE(rig.MsiexecRuns().empty()) << "msiexec ran for a refused package";
    EXPECT_EQ(rig.verifier.files.size(), 1u);
    EXPECT_FALSE(fs::exists(rig.system.workingFolder / "kovo3plugin-setup.msi"));
  }
  PageRig rig;
  rig.verifier.answer = {installer::SignatureVerdict::Signed, "Orlen Soft Ltd", 0};
  rig.Build();
  rig.InstallToTheEnd();
  EXPECT_EQ(rig.Page().errorKind, installer::kPackageDamaged);
  EXPECT_TRUE(rig.MsiexecRuns().empty());
}

TEST_F(PageController, ARepeatedStartRunsOneInstallation) {
  rig_.Build();
  rig_.StartHeld();
  rig_.Start();
  rig_.Finish();
  EXPECT_EQ(rig_.server.Requests("/Kovo3Plugin/master/win32/kovo3plugin-setup.msi"), 1);
  EXPECT_EQ(rig_.MsiexecRuns().size(), 1u);
}

TEST_F(PageController, AStartAfterAFailedRunForgetsItsKind) {
  rig_.Build();
  rig_.SetFreeSpace(L"D:", 10 * kMiB);
  rig_.Send(page::ChoicePathEvent{"D:\\Lumo"});
  ASSERT_EQ(rig_.Page().errorKind, installer::kNotEnoughSpace);
  rig_.InstallToTheEnd();
  EXPECT_EQ(rig_.Page().stage, PageStage::Success);
  EXPECT_EQ(rig_.Page().errorKind, 0);
  EXPECT_EQ(PageRig::HistoryResult(), L"OK");
}

TEST_F(PageController, WithoutTheEnvironmentCheckNothingIsProbedUntilAFolderIsChosen) {
  installer::ProgramOptions::Instance().SetCheckEnvironment(false);
  rig_.Build();
  EXPECT_EQ(rig_.server.Requests(kVersionPath), 0);
  rig_.Send(page::ChoicePathEvent{"C:\\Lumo"});
  EXPECT_EQ(rig_.server.Requests(kVersionPath), 1);
}

TEST_F(PageController, ItsLinksOpenThePortals) {
  rig_.Build();
  rig_.Send<page::OpenDiagnosticEvent>();
  rig_.Send<page::OpenHelpEvent>();
  rig_.Send<page::OpenVideoEvent>();
  ASSERT_EQ(rig_.system.openedUrls.size(), 3u);
  EXPECT_EQ(rig_.system.openedUrls[0], installer::OnlinePortalAddress("/reg/?check=KOVOPlugin"));
  EXPECT_EQ(rig_.system.openedUrls[1], installer::HelpPortalAddress());
  EXPECT_EQ(rig_.system.openedUrls[2], installer::HelpPortalAddress());
}

TEST_F(PageController, APluginThatStartsEndsTheProgramFromTheSuccessPage) {
  rig_.system.serviceRunning = true;
  rig_.system.pluginRunning = true;
  rig_.Build();
  rig_.InstallToTheEnd();
  ASSERT_EQ(rig_.Page().stage, PageStage::Success);
  rig_.Send<page::RunPluginEvent>();
  EXPECT_TRUE(rig_.Page().runRequested);
  EXPECT_EQ(rig_.quits, 0);
  // Its close request comes through the queue, as the logic thread takes it.
  for (auto& closure : rig_.queue.TakeAll()) closure();
  EXPECT_EQ(rig_.quits, 1);
}

// ============================================================================
// The worker outlives the controller and the application
// ============================================================================

// The application's event system and queue die with the application; the
// worker of an installation the user walked away from must not reach them.
class WorkerLifetime : public ::testing::Test {
 protected:
  struct Application {
    ui::EventSystem events;
    ui::SafeQueue queue;
    ui::NullGuiContext gui;
    ui::AppContext context{events, queue, gui};
    std::atomic<int> redraws{0};
    ui::ConnectionHolder connections{events};
    Application() {
      connections.Add(events.Connect<ui::Events::System::RedrawUiEvent>(
          [this](const ui::Events::System::RedrawUiEvent&) { ++redraws; }));
    }
  };

  PageRig rig_;
};

TEST_F(WorkerLifetime, TheProgramEndsDuringTheDownload) {
  auto application = std::make_unique<Application>();
  auto controller = std::make_unique<installer::InstallerPageController>(
      application->context, installer::UpdateServer{"127.0.0.1", rig_.server.Port()});
  rig_.server.Serve(UpdateServer::Package::Held);
  application->events.Dispatch(PageRig::Choices());
  ASSERT_TRUE(WaitUntil([&] { return rig_.server.Holding(); }, 10s));
  const auto shared = controller->SharedState();

  controller.reset();
  application.reset();
  rig_.server.Release();

  ASSERT_TRUE(WaitUntil([&] { return shared.expired(); }, 20s)) << "the worker never ended";
  EXPECT_EQ(rig_.MsiexecRuns().size(), 1u) << "the worker went on to its end";
  EXPECT_EQ(PageRig::HistoryResult(), L"OK");
}

TEST_F(WorkerLifetime, TheProgramEndsWhileMsiexecRuns) {
  auto application = std::make_unique<Application>();
  auto controller = std::make_unique<installer::InstallerPageController>(
      application->context, installer::UpdateServer{"127.0.0.1", rig_.server.Port()});
  rig_.system.HoldRuns();
  rig_.system.processOutcomes.push_back({0, 1603});
  application->events.Dispatch(PageRig::Choices());
  ASSERT_TRUE(rig_.system.WaitForRun());
  const auto shared = controller->SharedState();
  const int redrawsBefore = application->redraws;
  EXPECT_GT(redrawsBefore, 0);

  controller.reset();
  application.reset();
  rig_.system.ReleaseRuns();

  ASSERT_TRUE(WaitUntil([&] { return shared.expired(); }, 20s)) << "the worker never ended";
  EXPECT_EQ(PageRig::HistoryResult(), L"ERROR: 1") << "the run's result is still recorded";
}

TEST_F(WorkerLifetime, RedrawsReachTheApplicationWhileTheControllerLives) {
  auto application = std::make_unique<Application>();
  auto controller = std::make_unique<installer::InstallerPageController>(
      application->context, installer::UpdateServer{"127.0.0.1", rig_.server.Port()});
  const int afterProbe = application->redraws;
  EXPECT_GT(afterProbe, 0);
  application->events.Dispatch(PageRig::Choices());
  ASSERT_TRUE(WaitUntil([&] { return controller->Data().stage != PageStage::Progress; }, 20s));
  ASSERT_TRUE(WaitUntil([&] { return controller->SharedState().use_count() == 1; }, 20s));
  EXPECT_GT(application->redraws, afterProbe + 2)
      << "the download and the worker's end ask for redraws";
  const auto shared = controller->SharedState();
  controller.reset();
  EXPECT_TRUE(shared.expired());
}
