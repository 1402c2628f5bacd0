// Both confirmation boxes over the 800x700 frameless window of the real
// framework under Wine and Xvfb, driven with real X input; pictures made on
// another thread while the frames are drawn.
#include <gtest/gtest.h>
#include <imgui.h>
#include <kovo-ui-imgui/application/application.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/widgets/widgets.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gui/wine/host_programs.h"
#include "installer/views/message_box_view.h"
#include "support/test_support.h"
#include "translator/lang.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
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
constexpr int kTextures = 24;
constexpr int kTextureSize = 16;
const Rgb kPageColour{0x2C, 0x3E, 0x50};
const Rgb kTitleColour{0x00, 0x3F, 0x60};
const Rgb kYesColour{0xFF, 0x85, 0x52};
const Rgb kNoColour{0x27, 0x37, 0x48};
// The box: 350 x 146, centred; its buttons 136 x 32, 10 apart, 5 above the bottom.
const ImVec2 kBoxPosition{225, 277};
const ImVec2 kYesPosition{259, 386};
const ImVec2 kNoPosition{405, 386};
const ImVec2 kButtonSize{136, 32};
const ImVec2 kMinimisePosition{720, 0};
const ImVec2 kTexturesPosition{20, 600};
const ImVec2 kAccentButtonPosition{20, 80};
const ImVec2 kToolButtonPosition{300, 80};
const Rgb kAccent{0xFF, 0x70, 0x33};

ImU32 Colour(const Rgb& c) { return IM_COL32(c.r, c.g, c.b, 255); }

Rgb TextureColour(int i) { return Rgb{(i * 37) % 256, 255 - (i * 11) % 256, (i * 91) % 256}; }

struct YesEvent {};
struct NoEvent {};
struct CloseEvent {};

// What the GUI thread, the logic thread and the test's driver share.
struct Shared {
  std::atomic<int> frames{0};
  std::atomic<int> yes{0}, no{0}, close{0};
  std::atomic<int> window_closed{0};
  std::atomic<bool> close_box{false}, cancel_box{false};
  std::atomic<bool> textures_done{false};
  std::atomic<int> textures_refused_update{0};
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
  void WaitFrames(int count) {
    const int target = frames + count;
    EXPECT_TRUE(WaitUntil([&] { return frames >= target; }, 10s));
  }

  std::mutex mutex;
  std::vector<std::function<void()>> tasks;
};

Shared* shared = nullptr;

class BoxesController final : public ui::IController {
 public:
  BoxesController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui)
      : context_{events, queue, gui},
        widgets_(context_),
        close_box_(context_, data_.closeBox, "Подтверждение завершения##exit_msg"),
        cancel_box_(context_, data_.cancelBox, "Подтверждение отмены##cancel_msg") {
    shared->events = &events;
    shared->queue = &queue;
    shared->gui = &gui;
    data_.closeBox.title = "Вы действительно хотите завершить?";
    data_.closeBox.message = "Процесс установки будет остановлен";
    data_.closeBox.yes = "Да";
    data_.closeBox.no = "Нет";
    data_.cancelBox = data_.closeBox;
    data_.cancelBox.title = "Вы действительно хотите отменить?";
    events.Connect<YesEvent>([](const YesEvent&) { ++shared->yes; });
    events.Connect<NoEvent>([](const NoEvent&) { ++shared->no; });
    events.Connect<CloseEvent>([](const CloseEvent&) { ++shared->close; });
    // The pictures come from another thread while frames are drawn, as a view
    // built on the logic thread makes them.
    maker_ = std::thread([this, &gui] {
      for (int i = 0; i < kTextures; ++i) {
        const Rgb c = TextureColour(i);
        std::vector<std::uint8_t> pixels;
        for (int p = 0; p < kTextureSize * kTextureSize; ++p) {
          pixels.insert(pixels.end(),
                        {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                         static_cast<std::uint8_t>(c.b)});
        }
        auto texture = gui.GetGraphicsDevice().CreateTexture(kTextureSize, kTextureSize,
                                                             ui::PixelFormat::Rgb, pixels);
        if (!texture->Update(pixels)) ++shared->textures_refused_update;
        {
          std::lock_guard<std::mutex> lock(textures_mutex_);
          textures_.push_back(std::move(texture));
        }
        std::this_thread::sleep_for(15ms);
      }
      shared->textures_done = true;
    });
  }
  ~BoxesController() override { maker_.join(); }

  bool Update() override { return true; }

  void Draw() override {
    data_.closeBox.visible = shared->close_box;
    data_.cancelBox.visible = shared->cancel_box;
    widgets_.CenterNextWindow(kWidth, kHeight);
    ui::WindowOptions options;
    options.drag_height = 40;
    const std::uint32_t result = widgets_.Window(
        ui::WindowKind::Frameless, kWidth, kHeight, main_state_, "КОВО Плагин##main", "КОВО Плагин",
        [this] { Content(); }, options);
    if (result & ui::kWindowClosed) ++shared->window_closed;
    shared->RunTasks();
    ++shared->frames;
  }

 private:
  void Content() {
    ImGui::PushStyleColor(ImGuiCol_ChildBg, Colour(kPageColour));
    ImGui::PushStyleColor(ImGuiCol_Text, Colour(Rgb{255, 255, 255}));
    ImGui::BeginChild("WebInstaller", ImVec2(kWidth, kHeight), false, ImGuiWindowFlags_NoScrollbar);
    ImGui::GetWindowDrawList()->AddRectFilled(ImVec2(0, 0), ImVec2(kWidth, 40),
                                              Colour(kTitleColour));
    ImGui::SetCursorPos(kMinimisePosition);
    if (widgets_.TitlebarButton(ui::kGlyphMinimize)) widgets_.Minimize();
    ImGui::SetCursorPos(kAccentButtonPosition);
    widgets_.Button("Подробнее##more", 21, 160.0f, true, ui::KovoButtons::ButtonKind::Default);
    ImGui::SetCursorPos(kToolButtonPosition);
    widgets_.ToolButton("Сервис##tool");
    {
      std::lock_guard<std::mutex> lock(textures_mutex_);
      for (std::size_t i = 0; i < textures_.size(); ++i) {
        ImGui::SetCursorPos(ImVec2(kTexturesPosition.x + 20 * i, kTexturesPosition.y));
        ImGui::Image(textures_[i]->GetHandle(), ImVec2(kTextureSize, kTextureSize));
      }
    }
    close_box_.Draw();
    cancel_box_.Draw();
    ImGui::EndChild();
    ImGui::PopStyleColor(2);
  }

  ui::AppContext context_;
  installer::PageData data_;
  ui::Widgets widgets_;
  ui::WindowState main_state_;
  installer::MessageBoxView<YesEvent, NoEvent, CloseEvent> close_box_;
  installer::MessageBoxView<YesEvent, NoEvent, CloseEvent> cancel_box_;
  std::mutex textures_mutex_;
  std::vector<std::unique_ptr<ui::Texture>> textures_;
  std::thread maker_;
};

std::string Number(int value) { return std::to_string(value); }

ui::ScreenRect WindowRect() {
  return shared->OnGui([] {
    auto& window = shared->gui->GetWindow();
    return window.GetRect(window.GetHandle()).value_or(ui::ScreenRect{});
  });
}

// A press and a release a few frames apart, as a person clicks.
void ClickAt(int x, int y) {
  XDoTool({"mousemove", Number(x), Number(y)});
  std::this_thread::sleep_for(250ms);
  XDoTool({"mousedown", "1"});
  std::this_thread::sleep_for(150ms);
  XDoTool({"mouseup", "1"});
}

void TapKey(const std::string& key) {
  XDoTool({"keydown", key});
  std::this_thread::sleep_for(150ms);
  XDoTool({"keyup", key});
}

// The box over the dimmed page, at its place and size, with its buttons'
// colours and its text.
void CheckBox(const ui::DecodedImage& shot, const ui::ScreenRect& rect) {
  const auto at = [&](float x, float y) {
    return PixelAt(shot, rect.x + static_cast<int>(x), rect.y + static_cast<int>(y));
  };
  const float left = kBoxPosition.x, top = kBoxPosition.y;
  const float right = left + 350, bottom = top + 146;
  // Inside every corner: the box's own colour; just outside: the page, dimmed.
  for (const auto& inside : {ImVec2(left + 1, top + 1), ImVec2(right - 2, top + 1),
                             ImVec2(left + 1, bottom - 2), ImVec2(right - 2, bottom - 2)}) {
    EXPECT_TRUE(Near(at(inside.x, inside.y), kPageColour)) << inside.x << "," << inside.y;
  }
  for (const auto& outside : {ImVec2(left - 3, top + 20), ImVec2(right + 2, top + 20),
                              ImVec2(left + 20, top - 3), ImVec2(left + 20, bottom + 2)}) {
    const Rgb pixel = at(outside.x, outside.y);
    EXPECT_FALSE(Near(pixel, kPageColour, 4)) << outside.x << "," << outside.y;
    EXPECT_LT(pixel.b, kPageColour.b) << "dimmed";
  }
  // The buttons' faces beside their labels.
  EXPECT_TRUE(Near(at(kYesPosition.x + 22, kYesPosition.y + 16), kYesColour));
  EXPECT_TRUE(Near(at(kYesPosition.x + kButtonSize.x - 22, kYesPosition.y + 16), kYesColour));
  EXPECT_TRUE(Near(at(kNoPosition.x + 22, kNoPosition.y + 16), kNoColour));
  EXPECT_TRUE(Near(at(kNoPosition.x + kButtonSize.x - 22, kNoPosition.y + 16), kNoColour));
  EXPECT_TRUE(Near(at(kYesPosition.x - 3, kYesPosition.y + 16), kPageColour));
  EXPECT_TRUE(Near(at(kNoPosition.x + kButtonSize.x + 3, kNoPosition.y + 16), kPageColour));
  // Heading and message leave white ink in the upper part of the box.
  int ink = 0;
  for (int y = static_cast<int>(top) + 4; y < static_cast<int>(top) + 80; ++y) {
    for (int x = static_cast<int>(left) + 4; x < static_cast<int>(right) - 4; ++x) {
      ink += at(x, y).r > 200 && at(x, y).g > 200 && at(x, y).b > 200;
    }
  }
  EXPECT_GT(ink, 300);
  // Each button's label too.
  int label_ink = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 50; x < 86; ++x) {
      const Rgb yes = at(kYesPosition.x + x, kYesPosition.y + y);
      label_ink += yes.r > 240 && yes.g > 240 && yes.b > 240;
    }
  }
  EXPECT_GT(label_ink, 10);
}

}  // namespace

TEST(MessageBoxShowcase, BothBoxesOverTheFramelessWindowAnswerRealInput) {
  LogCapture log;
  Shared state;
  shared = &state;
  installer::SetLanguage(installer::kLanguageRussian);
  ui::ApplicationCreateInfo info;
  info.gui.window.title = "kovo-boxes";
  info.gui.device.driver = 1;
  info.wait_events = false;
  auto app = ui::Application::Create<BoxesController>(std::move(info));
  ASSERT_TRUE(app);

  std::thread driver([&] {
    ASSERT_TRUE(WaitUntil([&] { return state.frames >= 10 && state.textures_done; }, 20s));
    state.WaitFrames(30);
    const ui::ScreenRect rect = WindowRect();
    EXPECT_EQ(rect.width, kWidth);
    EXPECT_EQ(rect.height, kHeight);
    // Focus follows the pointer here: keep it on the window, off the box.
    XDoTool({"mousemove", Number(rect.x + 100), Number(rect.y + 500)});

    // The close box.
    state.close_box = true;
    state.WaitFrames(10);
    const auto shot = kovo::testing::TakeScreenshot("message_box_close");
    ASSERT_TRUE(shot);
    CheckBox(*shot, rect);
    // The pictures made on the other thread, each its own colour.
    for (int i = 0; i < kTextures; ++i) {
      const Rgb pixel = PixelAt(*shot, rect.x + static_cast<int>(kTexturesPosition.x) + 20 * i + 8,
                                rect.y + static_cast<int>(kTexturesPosition.y) + 8);
      // Under the modal's dimming (35 % of #333333 over it).
      const Rgb expected = TextureColour(i);
      EXPECT_NEAR(pixel.g, expected.g * 0.65 + 0.35 * 51, 12) << i;
    }

    ClickAt(rect.x + static_cast<int>(kYesPosition.x + 68),
            rect.y + static_cast<int>(kYesPosition.y + 16));
    EXPECT_TRUE(WaitUntil([&] { return state.yes == 1; }, 5s)) << "Да";
    ClickAt(rect.x + static_cast<int>(kNoPosition.x + 68),
            rect.y + static_cast<int>(kNoPosition.y + 16));
    EXPECT_TRUE(WaitUntil([&] { return state.no == 1; }, 5s)) << "Нет";
    TapKey("Escape");
    EXPECT_TRUE(WaitUntil([&] { return state.close == 1; }, 5s)) << "Escape";
    EXPECT_EQ(state.yes, 1);
    EXPECT_EQ(state.no, 1);

    // Hidden, it is gone; then the cancel box.
    state.close_box = false;
    state.WaitFrames(10);
    const auto cleared = kovo::testing::TakeScreenshot("message_box_none");
    ASSERT_TRUE(cleared);
    EXPECT_TRUE(Near(PixelAt(*cleared, rect.x + 222, rect.y + 300), kPageColour));
    EXPECT_TRUE(Near(PixelAt(*cleared, rect.x + 300, rect.y + 400), kPageColour));
    // The framework's own buttons: the accent pill's 2-pixel border and the
    // tool button's frame blue face.
    const auto at = [&](const ImVec2& origin, int dx, int dy) {
      return PixelAt(*cleared, rect.x + static_cast<int>(origin.x) + dx,
                     rect.y + static_cast<int>(origin.y) + dy);
    };
    int accent_border = 0;
    for (int dx = 0; dx < 4; ++dx)
      accent_border += Near(at(kAccentButtonPosition, dx, 12), kAccent, 40);
    EXPECT_GE(accent_border, 1) << "left end of the pill";
    EXPECT_TRUE(Near(at(kAccentButtonPosition, 80, 0), kAccent, 40)) << "top edge of the pill";
    EXPECT_TRUE(Near(at(kAccentButtonPosition, 8, 12), kPageColour)) << "unhovered: no fill";
    EXPECT_TRUE(Near(at(kToolButtonPosition, 2, 2), kTitleColour));
    state.cancel_box = true;
    state.WaitFrames(10);
    const auto cancel = kovo::testing::TakeScreenshot("message_box_cancel");
    ASSERT_TRUE(cancel);
    CheckBox(*cancel, rect);
    ClickAt(rect.x + static_cast<int>(kYesPosition.x + 68),
            rect.y + static_cast<int>(kYesPosition.y + 16));
    EXPECT_TRUE(WaitUntil([&] { return state.yes == 2; }, 5s)) << "Да of the cancel box";
    state.cancel_box = false;
    state.WaitFrames(10);

    // Alt+F4 reports the close bit once; the window stays.
    XDoTool({"mousemove", Number(rect.x + 100), Number(rect.y + 500)});
    std::this_thread::sleep_for(200ms);
    XDoTool({"key", "alt+F4"});
    EXPECT_TRUE(WaitUntil([&] { return state.window_closed == 1; }, 5s));
    state.WaitFrames(10);
    EXPECT_EQ(state.window_closed, 1);
    const auto handle = state.OnGui([] { return shared->gui->GetWindow().GetHandle(); });
    EXPECT_TRUE(
        state.OnGui([handle] { return IsWindowVisible(static_cast<HWND>(handle)) != FALSE; }));

    // DXGI's own Alt+Enter switch is off: the window keeps its place and size.
    XDoTool({"key", "alt+Return"});
    state.WaitFrames(20);
    EXPECT_EQ(WindowRect(), rect);

    // The minimise title-bar button.
    ClickAt(rect.x + static_cast<int>(kMinimisePosition.x + 20),
            rect.y + static_cast<int>(kMinimisePosition.y + 20));
    EXPECT_TRUE(WaitUntil(
        [&] {
          return state.OnGui([handle] { return IsIconic(static_cast<HWND>(handle)) != FALSE; });
        },
        5s));
    state.OnGui([handle] { ShowWindow(static_cast<HWND>(handle), SW_RESTORE); });

    state.OnGui([] {
      ui::EventSystem* events = shared->events;
      shared->queue->Emplace([events] { events->Dispatch(ui::Events::System::Exit{}); });
    });
  });

  EXPECT_EQ(app->Exec(), 0);
  driver.join();
  app.reset();
  EXPECT_EQ(state.textures_refused_update, kTextures);
  EXPECT_TRUE(log.Contains("Texture update refused: not on the GUI thread"));
  EXPECT_FALSE(log.Contains("Presentation failed"));
  shared = nullptr;
}
