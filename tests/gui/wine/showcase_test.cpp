// A small application on the real framework under Wine and Xvfb: an
// 800x700 frameless window with Cyrillic text in several sizes, icons and a
// decoded PNG, driven with real X input while it runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <imgui.h>
#include <stb_image_write.h>

#include <kovo-ui-imgui/application/application.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/graphics/image.h>
#include <kovo-ui-imgui/graphics/window_drag.h>

#include "graphics/backend/gui_context/gui_context_win32_direct3d11.h"
#include "gui/wine/host_programs.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
using kovo::testing::LogCapture;
using kovo::testing::Near;
using kovo::testing::PixelAt;
using kovo::testing::Rgb;
using kovo::testing::WaitUntil;
using kovo::testing::XDoTool;
using namespace std::chrono_literals;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 700;
const Rgb kPageColour{0x2C, 0x3E, 0x50};
const Rgb kTitleColour{0x00, 0x3F, 0x60};
const Rgb kWhite{255, 255, 255};
const ImVec2 kImagePosition{600, 100};
const ImVec2 kButtonPosition{600, 600};
const ImVec2 kButtonSize{140, 48};

// 64 x 64 pixels in four quadrants: red, green / blue, white.
std::vector<std::uint8_t> QuadrantPng() {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const Rgb colour =
          y < 32 ? (x < 32 ? Rgb{255, 0, 0} : Rgb{0, 255, 0}) : (x < 32 ? Rgb{0, 0, 255} : kWhite);
      pixels.insert(pixels.end(),
                    {static_cast<std::uint8_t>(colour.r), static_cast<std::uint8_t>(colour.g),
                     static_cast<std::uint8_t>(colour.b), 255});
    }
  }
  std::vector<std::uint8_t> png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        out->insert(out->end(), static_cast<std::uint8_t*>(data),
                    static_cast<std::uint8_t*>(data) + size);
      },
      &png, 64, 64, 4, pixels.data(), 64 * 4);
  return png;
}

ImU32 Colour(const Rgb& c) { return IM_COL32(c.r, c.g, c.b, 255); }

// What the GUI thread and the test's driver thread share.
struct Showcase {
  std::atomic<int> frames{0};
  std::atomic<int> presses{0};
  std::atomic<int> close_requests{0};
  ImVec2 icons_position{};
  std::vector<std::uint8_t> png = QuadrantPng();
  ui::EventSystem* events = nullptr;
  ui::SafeQueue* queue = nullptr;
  ui::GUIContext* gui = nullptr;

  // Runs on the GUI thread at the end of a frame; waits for the result.
  template <typename F>
  auto OnGui(F work) -> decltype(work()) {
    auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
    auto result = task->get_future();
    {
      std::lock_guard<std::mutex> lock(mutex);
      tasks.push_back([task] { (*task)(); });
    }
    if (result.wait_for(10s) != std::future_status::ready) {
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

Showcase* showcase = nullptr;

class ShowcaseController final : public ui::IController {
 public:
  ShowcaseController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui)
      : gui_(gui),
        image_(ui::CreateTextureFromImage(gui.GetGraphicsDevice(), showcase->png.data(),
                                          showcase->png.size())) {
    showcase->events = &events;
    showcase->queue = &queue;
    showcase->gui = &gui;
  }
  bool Update() override { return true; }

  void Draw() override {
    ui::Window& window = gui_.GetWindow();
    window.ShowFrameless("КОВО Плагин##main", kWidth, kHeight);
    if (window.TakeCloseRequest()) ++showcase->close_requests;
    const auto& fonts = gui_.GetFontCache();

    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(kWidth, kHeight));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, Colour(kPageColour));
    ImGui::PushStyleColor(ImGuiCol_Text, Colour(kWhite));
    ImGui::Begin("КОВО Плагин##main", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove);
    ImGui::GetWindowDrawList()->AddRectFilled(ImVec2(0, 0), ImVec2(kWidth, 40),
                                              Colour(kTitleColour));
    const bool on_title = ImGui::IsMouseHoveringRect(ImVec2(0, 0), ImVec2(kWidth, 40));
    drag_.Update(window, window.GetHandle(), ImGui::IsMouseClicked(0) && on_title,
                 ImGui::IsMouseDown(0));

    float y = 60;
    for (std::uint8_t size : {16, 25, 37, 52}) {
      ImGui::PushFont(fonts.Get({ui::FontKind::Regular, size}));
      ImGui::SetCursorPos(ImVec2(20, y));
      ImGui::TextUnformatted("КОВО Плагин — «№1»…");
      ImGui::PopFont();
      y += size * 1.6f;
    }
    ImGui::PushFont(fonts.Get({ui::FontKind::Bold, 15}));
    ImGui::SetCursorPos(ImVec2(20, y));
    ImGui::TextUnformatted("Установка завершена");
    ImGui::PopFont();
    ImGui::PushFont(fonts.Get({ui::FontKind::Icons, 22}));
    ImGui::SetCursorPos(ImVec2(20, y + 40));
    showcase->icons_position = ImGui::GetCursorScreenPos();
    ImGui::TextUnformatted("\uE600 \uEA2F \uEAE5 \uEAEC");
    ImGui::PopFont();

    if (image_ && image_->GetHandle()) {
      ImGui::SetCursorPos(kImagePosition);
      ImGui::Image(image_->GetHandle(), ImVec2(64, 64));
    }
    ImGui::SetCursorPos(kButtonPosition);
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 0, 255));
    if (ImGui::Button("Установить", kButtonSize)) ++showcase->presses;
    ImGui::PopStyleColor();
    ImGui::End();
    ImGui::PopStyleColor(2);

    showcase->RunTasks();
    ++showcase->frames;
  }

 private:
  ui::GUIContext& gui_;
  std::unique_ptr<ui::Texture> image_;
  ui::WindowDrag drag_;
};

std::string Number(int value) { return std::to_string(value); }

ui::ScreenRect WindowRect() {
  return showcase->OnGui([] {
    auto& window = showcase->gui->GetWindow();
    return window.GetRect(window.GetHandle()).value_or(ui::ScreenRect{});
  });
}

// The swap chain's buffers and the client area, read on the GUI thread.
std::pair<std::pair<UINT, UINT>, std::pair<UINT, UINT>> BuffersAndClient() {
  return showcase->OnGui([] {
    auto& context = dynamic_cast<ui::GuiContextWin32Direct3D11&>(*showcase->gui);
    RECT client{};
    GetClientRect(context.Win32Window().MainHandle(), &client);
    return std::make_pair(
        context.Direct3DDevice().BackBufferSize().value_or(std::make_pair(0u, 0u)),
        std::make_pair(static_cast<UINT>(client.right), static_cast<UINT>(client.bottom)));
  });
}

void CheckScreenshot(const ui::ScreenRect& rect) {
  const auto shot = kovo::testing::TakeScreenshot("showcase");
  ASSERT_TRUE(shot) << "no screenshot";
  const auto at = [&](float x, float y) {
    return PixelAt(*shot, rect.x + static_cast<int>(x), rect.y + static_cast<int>(y));
  };
  EXPECT_TRUE(Near(at(400, 500), kPageColour));
  EXPECT_TRUE(Near(at(400, 20), kTitleColour));
  EXPECT_TRUE(Near(at(kImagePosition.x + 16, kImagePosition.y + 16), {255, 0, 0}));
  EXPECT_TRUE(Near(at(kImagePosition.x + 48, kImagePosition.y + 16), {0, 255, 0}));
  EXPECT_TRUE(Near(at(kImagePosition.x + 16, kImagePosition.y + 48), {0, 0, 255}));
  EXPECT_TRUE(Near(at(kImagePosition.x + 48, kImagePosition.y + 48), kWhite));
  // The square icon U+E600 is solid in the middle of its 22-pixel cell.
  const ImVec2 icons = showcase->icons_position;
  EXPECT_TRUE(Near(at(icons.x + 11, icons.y + 11), kWhite, 30));
  // Each size of text leaves ink: light pixels on the page colour.
  for (const auto& band : {std::make_pair(60, 80), std::make_pair(86, 116),
                           std::make_pair(126, 170), std::make_pair(185, 245)}) {
    int light = 0;
    for (int y = band.first; y < band.second; ++y) {
      for (int x = 20; x < 560; ++x) light += at(x, y).r > 200 && at(x, y).b > 200;
    }
    EXPECT_GT(light, 40) << "text between y " << band.first << " and " << band.second;
  }
}

}  // namespace

TEST(Showcase, AFramelessWindowShowsItsContentAndAnswersRealInput) {
  LogCapture log;
  Showcase state;
  showcase = &state;
  ui::ApplicationCreateInfo info;
  info.gui.window.title = "kovo-showcase";
  info.gui.device.driver = 1;
  info.wait_events = false;
  auto app = ui::Application::Create<ShowcaseController>(std::move(info));
  ASSERT_TRUE(app);

  std::thread driver([&] {
    ASSERT_TRUE(WaitUntil([&] { return state.frames >= 10; }, 20s));
    const ui::ScreenRect rect = WindowRect();
    EXPECT_EQ(rect.width, kWidth);
    EXPECT_EQ(rect.height, kHeight);
    EXPECT_EQ(
        state.OnGui([] { return FindWindowW(nullptr, L"КОВО Плагин"); }),
        static_cast<HWND>(state.OnGui([] { return showcase->gui->GetWindow().GetHandle(); })));
    CheckScreenshot(rect);

    // A plain click: press and release reach the window within one frame.
    const int button_x = rect.x + static_cast<int>(kButtonPosition.x + kButtonSize.x / 2);
    const int button_y = rect.y + static_cast<int>(kButtonPosition.y + kButtonSize.y / 2);
    XDoTool({"mousemove", Number(button_x), Number(button_y)});
    std::this_thread::sleep_for(300ms);
    XDoTool({"click", "1"});
    EXPECT_TRUE(WaitUntil([&] { return state.presses == 1; }, 5s)) << "the click was lost";

    // Alt+F4 asks; the window stays.
    XDoTool({"key", "alt+F4"});
    EXPECT_TRUE(WaitUntil([&] { return state.close_requests == 1; }, 5s));
    EXPECT_TRUE(state.OnGui([] {
      return IsWindowVisible(static_cast<HWND>(showcase->gui->GetWindow().GetHandle())) != FALSE;
    }));

    // Dragging the title area moves the window.
    XDoTool({"mousemove", Number(rect.x + 100), Number(rect.y + 20)});
    std::this_thread::sleep_for(200ms);
    XDoTool({"mousedown", "1"});
    std::this_thread::sleep_for(200ms);
    XDoTool({"mousemove", Number(rect.x + 130), Number(rect.y + 40)});
    std::this_thread::sleep_for(200ms);
    XDoTool({"mousemove", Number(rect.x + 160), Number(rect.y + 60)});
    std::this_thread::sleep_for(300ms);
    XDoTool({"mouseup", "1"});
    std::this_thread::sleep_for(200ms);
    const ui::ScreenRect moved = WindowRect();
    EXPECT_EQ(moved.x, rect.x + 60);
    EXPECT_EQ(moved.y, rect.y + 40);
    EXPECT_EQ(state.presses, 1);

    // Maximise and back; the buffers follow the client area, but not into a
    // minimised window.
    const auto handle = state.OnGui([] { return showcase->gui->GetWindow().GetHandle(); });
    state.OnGui([handle] { showcase->gui->GetWindow().ToggleMaximize(handle); });
    std::this_thread::sleep_for(500ms);
    const auto work =
        state.OnGui([handle] { return showcase->gui->GetWindow().GetWorkArea(handle); });
    EXPECT_EQ(WindowRect(), work);
    auto sizes = BuffersAndClient();
    EXPECT_EQ(sizes.first, sizes.second);
    EXPECT_EQ(sizes.first.first, static_cast<UINT>(work->width));
    state.OnGui([handle] { showcase->gui->GetWindow().ToggleMaximize(handle); });
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(WindowRect(), moved);
    EXPECT_EQ(BuffersAndClient().first, std::make_pair(UINT(kWidth), UINT(kHeight)));

    state.OnGui([handle] { showcase->gui->GetWindow().Minimize(handle); });
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(state.OnGui([handle] { return IsIconic(static_cast<HWND>(handle)) != FALSE; }));
    EXPECT_EQ(BuffersAndClient().first, std::make_pair(UINT(kWidth), UINT(kHeight)));
    state.OnGui([handle] { ShowWindow(static_cast<HWND>(handle), SW_RESTORE); });
    std::this_thread::sleep_for(500ms);
    sizes = BuffersAndClient();
    EXPECT_EQ(sizes.first, sizes.second);
    EXPECT_EQ(sizes.second, std::make_pair(UINT(kWidth), UINT(kHeight)));

    // The application's clipboard.
    const std::string text = "Скопировано: «КОВО Плагин» — №1…";
    EXPECT_TRUE(state.OnGui([&] { return showcase->gui->GetClipboard().SetText(text); }));
    EXPECT_EQ(state.OnGui([] { return showcase->gui->GetClipboard().GetText(); }), text);

    // Posted from the GUI thread: this thread must not still be inside the
    // queue when Exec returns and destroys it.
    state.OnGui([] {
      ui::EventSystem* events = showcase->events;
      showcase->queue->Emplace([events] { events->Dispatch(ui::Events::System::Exit{}); });
    });
  });

  EXPECT_EQ(app->Exec(), 0);
  driver.join();
  app.reset();

  std::vector<std::string> device_records;
  for (const auto& message : log.Messages()) {
    if (message.rfind("Attempting", 0) == 0) device_records.push_back(message);
  }
  EXPECT_EQ(device_records,
            (std::vector<std::string>{"Attempting to create WARP context...",
                                      "Attempting to create WARP context SUCCESS!"}));
  EXPECT_TRUE(log.Contains("Application initialized with event handling mode : polling"));
  EXPECT_TRUE(log.Contains("Создана новая текстура: 64x64"));
  showcase = nullptr;
}
