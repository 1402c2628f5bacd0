// Every page and variant of the installer drawn by the real window, device
// and fonts under Wine, in both languages: each is saved as a screenshot of
// the window in the test artifacts and checked at a few pixels.
#include <gtest/gtest.h>
#include <kovo-ui-imgui/application/application.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/graphics/image.h>
#include <stb_image_write.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gui/wine/host_programs.h"
#include "installer/component_catalogue.h"
#include "installer/error_catalogue.h"
#include "installer/page_model.h"
#include "installer/views/installer_page_view.h"
#include "installer/views/installer_pictures.h"
#include "installer/views/page_os_calls.h"
#include "support/test_support.h"
#include "translator/lang.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
using installer::InstallPhase;
using installer::PageData;
using installer::PageStage;
using installer::PictureId;
using kovo::testing::Near;
using kovo::testing::PixelAt;
using kovo::testing::Rgb;
using kovo::testing::WaitUntil;
using namespace std::chrono_literals;

namespace {

const Rgb kPageColour{0x2C, 0x3E, 0x50};
const Rgb kOrange{0xFF, 0x85, 0x52};

// What the GUI thread and the test's driver thread share.
struct Stage {
  std::atomic<int> frames{0};
  ui::EventSystem* events = nullptr;
  ui::SafeQueue* queue = nullptr;
  ui::GUIContext* gui = nullptr;
  std::function<void()> rebuild;  // a fresh view, GUI thread
  installer::PageModel* model = nullptr;

  // Runs on the GUI thread at the end of a frame; waits for the result.
  template <typename F>
  auto OnGui(F work) -> decltype(work()) {
    auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
    auto result = task->get_future();
    {
      std::lock_guard<std::mutex> lock(mutex);
      tasks.push_back([task] { (*task)(); });
    }
    if (result.wait_for(20s) != std::future_status::ready) {
      ADD_FAILURE() << "the GUI thread did not run the task";
      std::abort();
    }
    return result.get();
  }

  void RunTasks() {
    std::vector<std::function<void()>> due;
    {
      std::lock_guard<std::mutex> lock(mutex);
      due.swap(tasks);
    }
    for (auto& task : due) task();
  }

  std::mutex mutex;
  std::vector<std::function<void()>> tasks;
};

Stage* stage = nullptr;

class PagesController final : public ui::IController {
 public:
  PagesController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui)
      : context_{events, queue, gui}, model_(ui::EventQueuer(queue, events)) {
    stage->events = &events;
    stage->queue = &queue;
    stage->gui = &gui;
    stage->model = &model_;
    // The frame being built still draws the old view's textures: the new view
    // replaces it at the start of the next frame.
    stage->rebuild = [this] { rebuild_ = true; };
    view_ = std::make_unique<installer::InstallerPageView>(context_, model_);
  }
  bool Update() override { return true; }
  void Draw() override {
    if (rebuild_) {
      rebuild_ = false;
      view_.reset();
      view_ = std::make_unique<installer::InstallerPageView>(context_, model_);
    }
    view_->Draw();
    stage->RunTasks();
    ++stage->frames;
  }

 private:
  ui::AppContext context_;
  installer::PageModel model_;
  std::unique_ptr<installer::InstallerPageView> view_;
  bool rebuild_ = false;
};

// Back to what a fresh page shows.
void ResetPage(PageData& d) {
  d.progress = 0.0f;
  d.stage = PageStage::Options;
  d.phase = InstallPhase::Downloading;
  d.installPath = installer::kDefaultInstallPath;
  d.installedVersion.clear();
  d.missingSpaceMb = 0;
  d.installed = false;
  d.willInstall = true;
  d.reinstall = false;
  d.serviceRunning = d.pluginRunning = d.runRequested = false;
  d.installType = installer::InstallTypes::Recommended;
  d.components.clear();
  d.errorKind = 0;
}

struct Variant {
  std::string name;
  std::function<void(PageData&)> set;
  // Window pixels that must show the page colour, an orange button, and the
  // picture drawn at the window's origin (checked against its decoded pixels
  // at the given point).
  std::vector<std::pair<int, int>> page_points;
  std::vector<std::pair<int, int>> orange_points;
  PictureId header;
  std::pair<int, int> header_point;
  int scroll_choices = 0;  // wheel turns over the options' choice region
};

ui::DecodedImage Decode(PictureId id) {
  const auto bytes = installer::GetPicture(id);
  return ui::DecodeImage(bytes.data, bytes.size).value_or(ui::DecodedImage{});
}

void SaveWindowShot(const ui::DecodedImage& screen, const ui::ScreenRect& rect,
                    const std::string& name) {
  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(rect.width) * rect.height * 4);
  for (int y = 0; y < rect.height; ++y) {
    const auto* row =
        &screen.pixels[(static_cast<std::size_t>(rect.y + y) * screen.width + rect.x) * 4];
    pixels.insert(pixels.end(), row, row + static_cast<std::size_t>(rect.width) * 4);
  }
  std::ofstream file(kovo::testing::ArtifactsDir() / (name + ".png"), std::ios::binary);
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::ofstream*>(context)->write(static_cast<const char*>(data), size);
      },
      &file, rect.width, rect.height, 4, pixels.data(), rect.width * 4);
}

std::vector<Variant> Variants() {
  namespace k = installer;
  const std::pair<int, int> corner{20, 690};
  std::vector<Variant> variants;
  const auto options = [&](std::string name, std::function<void(PageData&)> set, bool start) {
    variants.push_back({"options-" + name,
                        std::move(set),
                        {corner},
                        start ? std::vector<std::pair<int, int>>{{612 + 28, 604 + 6}}
                              : std::vector<std::pair<int, int>>{},
                        PictureId::HeaderRu,
                        {300, 10}});
  };
  options(
      "fresh", [](PageData&) {}, true);
  options(
      "installed",
      [](PageData& d) {
        d.installed = true;
        d.installedVersion = "21.6200.10.0";
        d.installPath = "C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin";
      },
      false);
  options(
      "space-short",
      [](PageData& d) {
        d.errorKind = k::kNotEnoughSpace;
        d.missingSpaceMb = 312;
      },
      false);
  options(
      "custom-open",
      [](PageData& d) {
        d.reinstall = true;
        d.installType = k::InstallTypes::Custom;
      },
      true);
  variants.back().scroll_choices = 4;
  options(
      "settings-open", [](PageData& d) { d.reinstall = true; }, true);
  options(
      "settings-bottom", [](PageData& d) { d.reinstall = true; }, true);
  variants.back().scroll_choices = 12;

  for (const auto& phase : {std::make_pair(InstallPhase::Downloading, "downloading"),
                            std::make_pair(InstallPhase::Installing, "installing"),
                            std::make_pair(InstallPhase::AnalysingLogs, "analysing")}) {
    variants.push_back({std::string("progress-") + phase.second,
                        [phase](PageData& d) {
                          d.stage = PageStage::Progress;
                          d.phase = phase.first;
                          d.progress = 0.42f;
                        },
                        {corner},
                        {},
                        PictureId::LogoRu,
                        {20, 20}});
  }

  const auto success = [&](std::string name, std::function<void(PageData&)> set, int orange_x) {
    variants.push_back({"success-" + name,
                        [set](PageData& d) {
                          d.stage = PageStage::Success;
                          set(d);
                        },
                        {corner},
                        {{orange_x + 28, 628 + 6}},
                        PictureId::HeaderRu,
                        {300, 10}});
  };
  success(
      "installed-now", [](PageData&) {}, 380);
  const auto already = [](bool running, bool requested) {
    return [=](PageData& d) {
      d.willInstall = false;
      d.installedVersion = "21.6225.55.0";
      d.serviceRunning = d.pluginRunning = running;
      d.runRequested = requested;
    };
  };
  success("already-running", already(true, false), 420);
  success("already-not-running", already(false, false), 375);
  success("already-run-pending", already(false, true), 375);

  const auto failure = [&](std::string name, k::ErrorKind kind, bool run) {
    variants.push_back({"failure-" + name,
                        [=](PageData& d) {
                          d.stage = PageStage::Failure;
                          d.errorKind = kind;
                          d.runRequested = run;
                        },
                        {corner},
                        {{400 + 28, 628 + 6}},
                        PictureId::HeaderRu,
                        {300, 10}});
  };
  failure("1620-details-link", k::kPackageDamaged, false);
  failure("3-advice-only", k::kVersionCheckFailed, false);
  failure("2-old-windows", k::kUnsupportedWindows, false);
  failure("2755-link-only", 2755, false);
  failure("8-service", k::kServiceNotStarted, true);
  failure("9-plugin", k::kPluginNotStarted, true);
  failure("10-neither", k::kNeitherStarted, true);
  return variants;
}

}  // namespace

TEST(PageScreens, EveryPageInBothLanguages) {
  Stage state;
  stage = &state;
  // The folder dialog and the browser are not wanted here.
  installer::PageOsCalls calls;
  calls.openUrl = [](const std::string&) {};
  calls.pickFolder = [](std::string&, ui::NativeWindowHandle) { return false; };
  installer::ScopedPageOsCalls os_calls(calls);

  ui::ApplicationCreateInfo info;
  info.gui.window.title = "kovo-pages";
  info.gui.device.driver = 1;
  info.wait_events = false;
  auto app = ui::Application::Create<PagesController>(std::move(info));
  ASSERT_TRUE(app);

  std::thread driver([&] {
    ASSERT_TRUE(WaitUntil([&] { return state.frames >= 10; }, 30s));
    // The pointer away from every element.
    kovo::testing::XDoTool({"mousemove", "1270", "1010"});
    for (const int language : {installer::kLanguageRussian, installer::kLanguageEnglish}) {
      const std::string suffix = language == installer::kLanguageRussian ? "-ru" : "-en";
      for (const Variant& variant : Variants()) {
        SCOPED_TRACE(variant.name + suffix);
        state.OnGui([&] {
          installer::SetLanguage(language);
          auto access = state.model->Access();
          ResetPage(*access);
          variant.set(*access);
          for (auto& tick : installer::ComponentChecks()) tick.second = false;
          if (variant.name == "options-custom-open") {
            installer::ComponentChecks()["DocumentScanner_win"] = true;
          }
          access.Release();
          state.rebuild();
        });
        const int seen = state.frames;
        ASSERT_TRUE(WaitUntil([&] { return state.frames >= seen + 12; }, 20s));
        const auto rect = state.OnGui([] {
          auto& window = stage->gui->GetWindow();
          return window.GetRect(window.GetHandle()).value_or(ui::ScreenRect{});
        });
        ASSERT_EQ(rect.width, 800);
        ASSERT_EQ(rect.height, 700);
        if (variant.scroll_choices > 0) {
          // Real wheel turns over the choice region, to bring the component
          // tree into view; then the pointer leaves again.
          kovo::testing::XDoTool(
              {"mousemove", std::to_string(rect.x + 400), std::to_string(rect.y + 440)});
          std::this_thread::sleep_for(200ms);
          for (int i = 0; i < variant.scroll_choices; ++i) {
            kovo::testing::XDoTool({"click", "5"});
            std::this_thread::sleep_for(60ms);
          }
          kovo::testing::XDoTool({"mousemove", "1270", "1010"});
          const int scrolled = state.frames;
          ASSERT_TRUE(WaitUntil([&] { return state.frames >= scrolled + 12; }, 20s));
        }
        const auto shot = kovo::testing::TakeScreenshot("screen");
        ASSERT_TRUE(shot);
        SaveWindowShot(*shot, rect, variant.name + suffix);
        const auto at = [&](std::pair<int, int> p) {
          return PixelAt(*shot, rect.x + p.first, rect.y + p.second);
        };
        for (const auto& p : variant.page_points) EXPECT_TRUE(Near(at(p), kPageColour));
        for (const auto& p : variant.orange_points) {
          EXPECT_TRUE(Near(at(p), kOrange, 12)) << p.first << "," << p.second;
        }
        PictureId header = variant.header;
        if (language == installer::kLanguageEnglish) {
          header = static_cast<PictureId>(static_cast<int>(header) + 1);
        }
        // An opaque point of the picture that stands out from the page, above
        // the texts drawn over the header.
        const auto picture = Decode(header);
        const auto& px = picture.pixels;
        bool found = false;
        for (int y = 2; !found && y < std::min(picture.height, 30); ++y) {
          for (int x = 2; !found && x < picture.width - 2; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * picture.width + x) * 4;
            const Rgb colour{px[i], px[i + 1], px[i + 2]};
            if (px[i + 3] != 255 || Near(colour, kPageColour, 40)) continue;
            found = true;
            EXPECT_TRUE(Near(at({x, y}), colour, 10)) << "the picture at " << x << "," << y;
          }
        }
        EXPECT_TRUE(found) << "the picture has no opaque point to check";
      }
    }
    std::filesystem::remove(kovo::testing::ArtifactsDir() / "screen.png");
    state.OnGui([] {
      ui::EventSystem* events = stage->events;
      stage->queue->Emplace([events] { events->Dispatch(ui::Events::System::Exit{}); });
    });
  });

  EXPECT_EQ(app->Exec(), 0);
  driver.join();
  app.reset();
  installer::SetLanguage(installer::kLanguageRussian);
  stage = nullptr;
}
