// The start of the installed plugin against a scripted system: what is
// launched for each state the probe found, the checks after the pause, and
// the page's state and the close request that follow.
#include <gtest/gtest.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/events/event_system.h>
#include <kovo-ui-imgui/events/safe_queue.h>
#include <kovo-ui-imgui/events/system_events.h>

#include <chrono>
#include <string>
#include <vector>

#include "installer/controller/installer_engine.h"
#include "installer/error_catalogue.h"
#include "installer/page_events.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace imgui = kovo::desktop::ui::imgui;
using installer::PageStage;
using kovo::testing::FakeSystemServices;

namespace {

const wchar_t kScCommand[] = L"\"C:\\Windows\\system32\\sc.exe\" start KOVO3Plugin";
const wchar_t kPluginCommand[] =
    L"\"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin\\kovo3plugin.exe\" --wait";

// A system whose checks note when they ran, in one journal with the launches
// and the pause.
class JournalingSystem : public FakeSystemServices {
 public:
  std::vector<std::wstring> journal;
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters,
                           std::uint32_t* exitCode, bool wait) override {
    journal.push_back(L"run " + program + L" " + parameters);
    return FakeSystemServices::RunProcess(program, parameters, exitCode, wait);
  }
  bool IsServiceRunning() override {
    journal.push_back(L"check service");
    return serviceRunning;
  }
  bool IsPluginRunning() override {
    journal.push_back(L"check plugin");
    return pluginRunning;
  }
};

class StartRig {
 public:
  StartRig()
      : model_(imgui::EventQueuer(queue_, events_)),
        scoped_(system_),
        engine_(model_, L"C:\\work") {
    events_.Connect<installer::Events::InstallPageView::CloseButtonClickedEvent>(
        [this](const auto&) { ++closeRequests; });
    events_.Connect<imgui::Events::System::RedrawUiEvent>([this](const auto&) { ++redraws; });
    engine_.SetSleepFunction([this](std::chrono::milliseconds pause) {
      system_.journal.push_back(L"sleep " + std::to_wstring(pause.count()));
      redrawsBeforeTheChecks = redraws;
    });
    Page().stage = PageStage::Success;
  }

  installer::PageData& Page() { return *model_.Access(); }
  JournalingSystem& System() { return system_; }

  // Runs the start as the logic thread would, then what it queued.
  void Start() {
    redraws = 0;
    engine_.StartPlugin(imgui::EventQueuer(queue_, events_));
    redrawsDuringStart = redraws;
    for (auto& closure : queue_.TakeAll()) closure();
  }

  int closeRequests = 0;
  int redraws = 0;
  int redrawsDuringStart = -1;
  int redrawsBeforeTheChecks = -1;

 private:
  imgui::EventSystem events_;
  imgui::SafeQueue queue_;
  installer::PageModel model_;
  JournalingSystem system_;
  installer::ScopedSystemServices scoped_;
  installer::InstallerEngine engine_;
};

}  // namespace

TEST(StartPlugin, LaunchesWhatDoesNotRunAndDecidesOnTheChecksAfterThePause) {
  const struct {
    const char* name;
    bool serviceFound, pluginFound;      // what the probe found
    bool serviceAfter, pluginAfter;      // what the checks after the pause see
    std::vector<std::wstring> launched;  // command lines, in order
    PageStage stage;
    installer::ErrorKind kind;
    int closeRequests;
  } cases[] = {
      {"both found running: nothing launched, still checked, closes",
       true,
       true,
       true,
       true,
       {},
       PageStage::Success,
       installer::kNoError,
       1},
      {"neither found: both launched, both start",
       false,
       false,
       true,
       true,
       {kScCommand, kPluginCommand},
       PageStage::Success,
       installer::kNoError,
       1},
      {"service found: only the program launched",
       true,
       false,
       true,
       true,
       {kPluginCommand},
       PageStage::Success,
       installer::kNoError,
       1},
      {"program found: only the service launched",
       false,
       true,
       true,
       true,
       {kScCommand},
       PageStage::Success,
       installer::kNoError,
       1},
      {"the service does not start",
       false,
       false,
       false,
       true,
       {kScCommand, kPluginCommand},
       PageStage::Failure,
       installer::kServiceNotStarted,
       0},
      {"the program does not start",
       false,
       false,
       true,
       false,
       {kScCommand, kPluginCommand},
       PageStage::Failure,
       installer::kPluginNotStarted,
       0},
      {"neither starts: kind 10, not 8",
       false,
       false,
       false,
       false,
       {kScCommand, kPluginCommand},
       PageStage::Failure,
       installer::kNeitherStarted,
       0},
      {"found running but stopped since: no launch, a failure",
       true,
       true,
       false,
       false,
       {},
       PageStage::Failure,
       installer::kNeitherStarted,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartRig rig;
    rig.Page().serviceRunning = c.serviceFound;
    rig.Page().pluginRunning = c.pluginFound;
    rig.System().serviceRunning = c.serviceAfter;
    rig.System().pluginRunning = c.pluginAfter;

    rig.Start();

    std::vector<std::wstring> expectedJournal;
    for (const auto& command : c.launched) expectedJournal.push_back(L"run " + command);
    expectedJournal.insert(expectedJournal.end(),
                           {L"sleep 2000", L"check service", L"check plugin"});
    EXPECT_EQ(rig.System().journal, expectedJournal);
    for (const auto& call : rig.System().processCalls) EXPECT_FALSE(call.wait);

    const installer::PageData& page = rig.Page();
    EXPECT_TRUE(page.runRequested);
    EXPECT_EQ(page.stage, c.stage);
    EXPECT_EQ(page.errorKind, c.kind);
    EXPECT_EQ(rig.closeRequests, c.closeRequests);
    // The probe's findings stay; the checks do not overwrite them.
    EXPECT_EQ(page.serviceRunning, c.serviceFound);
    EXPECT_EQ(page.pluginRunning, c.pluginFound);
    // One access for the whole start: the page is redrawn once, at its end.
    EXPECT_EQ(rig.redrawsBeforeTheChecks, 0);
    EXPECT_EQ(rig.redrawsDuringStart, 1);
  }
}

TEST(StartPlugin, ALaunchThatFailsCountsOnlyThroughTheChecks) {
  StartRig rig;
  rig.System().processOutcomes = {{2, 0}, {3, 0}};  // neither program can be started
  rig.System().serviceRunning = true;               // started some other way meanwhile
  rig.System().pluginRunning = true;
  rig.Start();
  EXPECT_EQ(rig.System().processCalls.size(), 2u);
  EXPECT_EQ(rig.Page().stage, PageStage::Success);
  EXPECT_EQ(rig.closeRequests, 1);
}

TEST(StartPlugin, QuotesTheProgramPathAndLogsTheFailedChecks) {
  StartRig rig;
  rig.Page().installPath =
      "D:\\My Programs\\КОВО Плагин\\";  // blanks, Cyrillic, a trailing backslash
  rig.System().systemFolder = L"C:\\WINDOWS\\System32";
  kovo::testing::LogCapture log;
  rig.Start();

  ASSERT_EQ(rig.System().processCalls.size(), 2u);
  EXPECT_EQ(rig.System().processCalls[0].program, L"\"C:\\WINDOWS\\System32\\sc.exe\"");
  EXPECT_EQ(rig.System().processCalls[0].parameters, L"start KOVO3Plugin");
  EXPECT_EQ(rig.System().processCalls[1].program,
            L"\"D:\\My Programs\\\u041A\u041E\u0412\u041E \u041F\u043B\u0430\u0433\u0438\u043D"
            L"\\kovo3plugin.exe\"");
  EXPECT_EQ(rig.System().processCalls[1].parameters, L"--wait");
  EXPECT_TRUE(log.Contains("Run service: fail"));
  EXPECT_TRUE(log.Contains("Run plugin: fail"));
  EXPECT_EQ(rig.Page().errorKind, installer::kNeitherStarted);
}

TEST(StartPlugin, WithoutASystemFolderTheServiceToolIsNotStartedByBareName) {
  StartRig rig;
  rig.System().systemFolder.clear();
  rig.Start();
  ASSERT_EQ(rig.System().processCalls.size(), 1u);
  EXPECT_NE(rig.System().processCalls[0].program.find(L"kovo3plugin.exe"), std::wstring::npos);
  EXPECT_EQ(rig.Page().errorKind, installer::kNeitherStarted);
}
