#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include <kovo-ui-imgui/application/logic_thread_policy.h>
#include <kovo-ui-imgui/events/system_events.h>

#include "installer/page_events.h"
#include "installer/page_model.h"
#include "installer/program_options.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
namespace page_events = installer::Events::InstallPageView;
using installer::AutoRunTypes;
using installer::InstallTypes;
using installer::PageStage;

TEST(ProgramOptions, AllSwitchesStartOnAndClearIndependently) {
  auto& options = installer::ProgramOptions::Instance();
  EXPECT_EQ(&options, &installer::ProgramOptions::Instance());
  EXPECT_TRUE(options.CheckEnvironment());
  EXPECT_TRUE(options.DownloadPackage());
  EXPECT_TRUE(options.InstallPackage());
  EXPECT_TRUE(options.AnalyzeInstallLog());

  options.SetDownloadPackage(false);
  EXPECT_TRUE(options.CheckEnvironment());
  EXPECT_FALSE(options.DownloadPackage());
  EXPECT_TRUE(options.InstallPackage());
  EXPECT_TRUE(options.AnalyzeInstallLog());
  options.SetDownloadPackage(true);
}

TEST(ProgramOptions, ConcurrentFirstUseYieldsOneInstance) {
  std::vector<std::thread> threads;
  std::vector<installer::ProgramOptions*> seen(8);
  for (int i = 0; i < 8; ++i) threads.emplace_back([&, i] { seen[i] = &installer::ProgramOptions::Instance(); });
  for (auto& t : threads) t.join();
  for (auto* p : seen) EXPECT_EQ(p, seen[0]);
}

TEST(PageData, AFreshPageShowsTheOptionsWithTheDefaults) {
  installer::PageData data;
  EXPECT_EQ(data.stage, PageStage::Options);
  EXPECT_EQ(data.phase, installer::InstallPhase::Downloading);
  EXPECT_EQ(data.progress, 0.0f);
  EXPECT_TRUE(data.proceed);
  EXPECT_EQ(data.installPath, "C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin");
  EXPECT_EQ(data.installType, InstallTypes::Recommended);
  EXPECT_TRUE(data.autoRun);
  EXPECT_EQ(data.autoRunType, AutoRunTypes::CurrentUser);
  EXPECT_TRUE(data.desktopShortcut);
  EXPECT_TRUE(data.willInstall);
  EXPECT_FALSE(data.installed || data.reinstall || data.serviceRunning || data.pluginRunning ||
               data.runRequested);
  EXPECT_EQ(data.errorKind, 0);
  EXPECT_EQ(data.missingSpaceMb, 0);
  EXPECT_TRUE(data.components.empty());
  EXPECT_FALSE(data.closeBox.visible);
  EXPECT_EQ(data.closeBox.id, "Popup title");
  EXPECT_EQ(data.closeBox.yes, "Yes");
  EXPECT_FALSE(data.closeBox.extra.has_value());
  EXPECT_EQ(static_cast<int>(AutoRunTypes::AllUsers), 2);
  EXPECT_EQ(static_cast<int>(InstallTypes::Custom), 3);
  EXPECT_EQ(static_cast<int>(PageStage::Failure), 3);
}

TEST(ModelAccess, EveryReleaseDispatchesExactlyOneRedraw) {
  ui::EventSystem events;
  ui::SafeQueue queue;
  installer::PageModel model(ui::EventQueuer(queue, events));
  int redraws = 0;
  events.Connect<ui::Events::System::RedrawUiEvent>([&](const auto&) { ++redraws; });

  {
    auto access = model.Access();
    access->installPath = "D:\\Apps";
    EXPECT_EQ(redraws, 0);
  }
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(model.Data().installPath, "D:\\Apps");

  auto access = model.Access();
  auto moved = std::move(access);  // the moved-from handle releases nothing
  moved.Release();
  moved.Release();
  EXPECT_EQ(redraws, 2);
  {
    auto again = model.Access();
  }
  EXPECT_EQ(redraws, 3);
  EXPECT_TRUE(queue.Empty());  // the redraw is synchronous, nothing is queued
}

TEST(PageEvents, StartClickedFromTheGuiThreadReachesTheLogicThreadUnchanged) {
  struct Idle : ui::IController {
    bool Update() override { return true; }
    void Draw() override {}
  } controller;
  ui::EventSystem events;
  ui::SafeQueue queue;
  std::mutex appMutex;
  installer::PageModel model(ui::EventQueuer(queue, events));
  auto policy = std::make_shared<ui::LogicThreadPolicy>(controller, appMutex, events, queue);
  ui::ControlledThread logic(L"LogicThread", policy);

  std::optional<page_events::StartClickedEvent> received;
  std::thread::id handlerThread;
  events.Connect<page_events::StartClickedEvent>([&](const page_events::StartClickedEvent& e) {
    received = e;
    handlerThread = std::this_thread::get_id();
  });
  logic.Start();

  std::thread gui([&] {
    model.Queuer().Emit<page_events::StartClickedEvent>(
        std::string("D:\\Программы\\Veltra Company Ltd\\KOVO3Plugin\\"), InstallTypes::Custom,
        std::vector<std::string>{"CloudDisk", "Scanner"}, false, AutoRunTypes::AllUsers, false);
  });
  const auto guiId = gui.get_id();
  gui.join();
  ASSERT_TRUE(kovo::testing::WaitUntil([&] {
    std::lock_guard<std::mutex> lock(appMutex);
    return received.has_value();
  }));
  model.Queuer().Emit<installer::Events::UIEvents::ShouldQuit>();
  logic.Stop();

  EXPECT_EQ(received->path, "D:\\Программы\\Veltra Company Ltd\\KOVO3Plugin\\");
  EXPECT_EQ(received->installType, InstallTypes::Custom);
  EXPECT_EQ(received->components, (std::vector<std::string>{"CloudDisk", "Scanner"}));
  EXPECT_FALSE(received->autoRun);
  EXPECT_EQ(received->autoRunType, AutoRunTypes::AllUsers);
  EXPECT_FALSE(received->desktopShortcut);
  EXPECT_NE(handlerThread, guiId);
  EXPECT_NE(handlerThread, std::this_thread::get_id());
}
