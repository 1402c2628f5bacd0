// The whole installer page under Wine: the framework's application with its
// window, logic thread and queue, the page controller and its view, the
// update server on loopback, Wine's real msiexec and the stand-in package.
// A driver thread plays the user, emitting what the views emit.
#include <gtest/gtest.h>
#include <kovo-ui-imgui/application/application.h>
#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gui/wine/host_programs.h"
#include "installer/controller/installer_page_controller.h"
#include "installer/error_catalogue.h"
#include "installer/install_history.h"
#include "installer/installed_product.h"
#include "installer/msi_test_support.h"
#include "installer/program_options.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "stand-in/update_server_process.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
namespace page = installer::Events::InstallPageView;
namespace fs = std::filesystem;
using installer::PageStage;
using kovo::testing::WaitUntil;
using namespace std::chrono_literals;

namespace {

constexpr wchar_t kUninstallList[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kProductName[] = L"КОВО Плагин";

// The x64 stand-in package writes to the 64-bit view, which this test reads.
std::wstring PluginValue(const wchar_t* name) {
  std::uint32_t error = 0;
  return installer::Services().ReadRegistryString(installer::RegistryRoot::LocalMachine,
                                                  installer::kPluginRegistryKey, name, L"", &error,
                                                  installer::kRegistryView64);
}

std::wstring InstalledProductCode() {
  auto& system = installer::Services();
  std::vector<std::wstring> entries;
  system.EnumerateSubKeys(installer::RegistryRoot::LocalMachine, kUninstallList, entries,
                          installer::kRegistryView64);
  for (const auto& entry : entries) {
    std::uint32_t error = 0;
    const std::wstring name = system.ReadRegistryString(
        installer::RegistryRoot::LocalMachine, std::wstring(kUninstallList) + L"\\" + entry,
        L"DisplayName", L"", &error, installer::kRegistryView64);
    if (name == kProductName) return entry;
  }
  return {};
}

std::wstring WorkingFolder() {
  return installer::Services().ExpandEnvironment(L"%TMP%") + L"\\KovoPlugin.Installer";
}

// What the driver thread reaches of the running application; empty before
// the page exists and after the application has gone.
class Hooks {
 public:
  void Publish(ui::EventSystem& events, ui::SafeQueue& queue,
               installer::InstallerPageController* page) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_ = &events;
    queue_ = &queue;
    page_ = page;
  }
  void Withdraw() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_ = nullptr;
    queue_ = nullptr;
    page_ = nullptr;
  }
  // As a view emits: through the queue to the logic thread.
  template <typename E>
  bool Emit(const E& event = E{}) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!queue_) return false;
    ui::EventQueuer(*queue_, *events_).Emit<E>(event);
    return true;
  }
  // The page's stage; empty while there is no page.
  std::optional<PageStage> Stage() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!page_) return std::nullopt;
    return page_->Data().stage.load();
  }
  std::int32_t ErrorKind() {
    std::lock_guard<std::mutex> lock(mutex_);
    return page_ ? page_->Data().errorKind.load() : -1;
  }

 private:
  std::mutex mutex_;
  ui::EventSystem* events_ = nullptr;
  ui::SafeQueue* queue_ = nullptr;
  installer::InstallerPageController* page_ = nullptr;
};

// The application's root controller, as the program's own is: it builds the
// page controller on the logic thread and turns ShouldQuit into Exit.
class RootController : public ui::IController {
 public:
  RootController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui, int port,
                 Hooks& hooks)
      : context_{events, queue, gui}, connections_(events), hooks_(&hooks) {
    connections_.Add(
        events.Forward<installer::Events::UIEvents::ShouldQuit, ui::Events::System::Exit>());
    queue.Emplace([this, port] {
      page_ = std::make_unique<installer::InstallerPageController>(
          context_, installer::UpdateServer{"127.0.0.1", port});
      hooks_->Publish(context_.events, context_.queue, page_.get());
    });
  }
  ~RootController() override { hooks_->Withdraw(); }

  bool Update() override { return !page_ || page_->Update(); }
  void Draw() override {
    if (page_) page_->Draw();
  }

 private:
  ui::AppContext context_;
  ui::ConnectionHolder connections_;
  Hooks* hooks_;
  std::unique_ptr<installer::InstallerPageController> page_;
};

// What the driver saw of the page before it closed the window.
struct Seen {
  std::optional<PageStage> afterProbe;
  bool ended = false;
  PageStage stage = PageStage::Progress;
  std::int32_t errorKind = -1;
  int exec = -1;
};

class PageControllerUnderWine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    try {
      server_ = std::make_unique<kovo::testing::UpdateServerProcess>();
    } catch (const std::exception& error) {
      serverProblem_ = error.what();
    }
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override { ASSERT_TRUE(server_) << "no update server: " << serverProblem_; }

  void TearDown() override {
    const std::string prefix = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (const char* name : {"msi_uninstall.log", "msi_install.log"}) {
      std::error_code ignored;
      fs::copy_file(fs::path(WorkingFolder()) / name,
                    kovo::testing::ArtifactsDir() / (prefix + "-" + name),
                    fs::copy_options::overwrite_existing, ignored);
    }
    const std::wstring productCode = InstalledProductCode();
    if (productCode.empty()) return;
    std::uint32_t exitCode = 0;
    installer::Services().RunProcess(L"msiexec.exe", L"/x" + productCode + L" /qn", &exitCode,
                                     true);
    EXPECT_TRUE(InstalledProductCode().empty()) << "the plugin stayed installed after the test";
  }

  // Runs the application until it ends: the driver waits for the probe,
  // starts the installation with `choices`, waits for its end, takes a
  // screenshot and presses the close button, which on a result page ends the
  // program at once. Should anything hang, the driver confirms the exit box.
  Seen Run(const page::StartClickedEvent& choices, const std::string& screenshot) {
    Hooks hooks;
    ui::ApplicationCreateInfo info;
    info.gui.window.title = "КОВО Плагин";
    info.gui.window.size = {800, 700};
    const int port = server_->Port();
    auto app = ui::Application::Create(
        std::move(info),
        [port, &hooks](ui::EventSystem& events, ui::SafeQueue& queue,
                       ui::GUIContext& gui) -> std::unique_ptr<ui::IController> {
          return std::make_unique<RootController>(events, queue, gui, port, hooks);
        });
    Seen seen;
    if (!app) {
      ADD_FAILURE() << "no application";
      return seen;
    }
    std::thread driver([&] {
      if (!WaitUntil([&] { return hooks.Stage().has_value(); }, 60s)) return;
      seen.afterProbe = hooks.Stage();
      hooks.Emit(choices);
      WaitUntil([&] { return hooks.Stage() == PageStage::Progress; }, 10s);
      seen.ended = WaitUntil(
          [&] {
            const auto stage = hooks.Stage();
            return stage && *stage != PageStage::Progress;
          },
          240s);
      seen.stage = hooks.Stage().value_or(PageStage::Progress);
      seen.errorKind = hooks.ErrorKind();
      std::this_thread::sleep_for(1s);  // a few frames of the result page
      kovo::testing::TakeScreenshot(screenshot);
      hooks.Emit<page::CloseButtonClickedEvent>();
      if (!WaitUntil([&] { return !hooks.Stage().has_value(); }, 20s))
        hooks.Emit<page::CloseDecision<true>>();
    });
    seen.exec = app->Exec();
    driver.join();
    app.reset();
    return seen;
  }

  kovo::testing::ProgramOptionsRestorer options_;
  static inline std::unique_ptr<kovo::testing::UpdateServerProcess> server_;
  static inline std::string serverProblem_;
};

}  // namespace

TEST_F(PageControllerUnderWine, AStartEndsOnTheSuccessPageWithThePluginInstalled) {
  page::StartClickedEvent choices;
  choices.path = "C:\\Program Files\\Lumo Тест\\KOVO3Plugin";
  const Seen seen = Run(choices, "success-page");

  EXPECT_EQ(seen.exec, 0);
  ASSERT_TRUE(seen.afterProbe);
  EXPECT_EQ(*seen.afterProbe, PageStage::Options) << "the probe found nothing installed";
  ASSERT_TRUE(seen.ended) << "the installation never ended";
  EXPECT_EQ(seen.stage, PageStage::Success);
  EXPECT_EQ(seen.errorKind, installer::kNoError);
  const auto history = installer::InstallHistory::Instance().Values();
  EXPECT_EQ(history.installType, L"recommended");
  EXPECT_EQ(history.result, L"OK");
  EXPECT_EQ(PluginValue(L"Path"), installer::ToWide(choices.path));
  EXPECT_TRUE(fs::exists(fs::path(installer::ToWide(choices.path)) / "kovo3plugin.exe"));
}

TEST_F(PageControllerUnderWine, ADamagedPackageEndsOnTheFailurePageWithItsKindInTheHistory) {
  // The package as the download leaves it, then cut short; the page then
  // installs what lies in the working folder ("-sD").
  {
    ui::EventSystem events;
    ui::SafeQueue queue;
    installer::PageModel model{ui::EventQueuer(queue, events)};
    fs::create_directories(fs::path(WorkingFolder()));
    installer::InstallerEngine engine(model, WorkingFolder());
    engine.SetUpdateServer({"127.0.0.1", server_->Port()});
    ASSERT_EQ(engine.DownloadInstallPackage(), installer::kResultOk);
  }
  const fs::path package = fs::path(WorkingFolder()) / "kovo3plugin-setup.msi";
  fs::resize_file(package, fs::file_size(package) / 2);
  installer::ProgramOptions::Instance().SetDownloadPackage(false);

  const Seen seen = Run(page::StartClickedEvent(), "failure-page");

  EXPECT_EQ(seen.exec, 0);
  ASSERT_TRUE(seen.ended) << "the installation never ended";
  EXPECT_EQ(seen.stage, PageStage::Failure);
  // Windows answers 1620, which is a kind; Wine answers 1627 with an English
  // log, which names no action result a Russian log would.
  EXPECT_TRUE(seen.errorKind == installer::kPackageDamaged ||
              seen.errorKind == installer::kNoActionResults)
      << seen.errorKind;
  EXPECT_EQ(installer::InstallHistory::Instance().Values().result,
            L"ERROR: " + std::to_wstring(seen.errorKind));
  EXPECT_TRUE(InstalledProductCode().empty());
}
