// The framework's buttons and windows, frame by frame on the null GUI
// context with Dear ImGui's own input injected.
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <kovo-ui-imgui/application/app_context.h>
#include <kovo-ui-imgui/graphics/key_mapper.h>
#include <kovo-ui-imgui/headless/headless_gui.h>
#include <kovo-ui-imgui/widgets/widgets.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ui = kovo::desktop::ui::imgui;
using ui::KovoButtons::ButtonKind;

namespace {

ui::Key FrameworkKey(int virtual_key) { return *ui::Win32KeyMapper().FromNative(virtual_key); }
const ui::Key kEnter = FrameworkKey(13);

// A view's setting: the frameless main window of 800 x 700 with widgets.
struct Rig {
  ui::HeadlessGui gui;
  ui::EventSystem events;
  ui::SafeQueue queue;
  ui::AppContext context{events, queue, gui.Context()};
  ui::Widgets widgets{context};
  ui::WindowState main_state;
  std::uint32_t last_result = 0;

  // One frame of the main window with `content` in it.
  std::function<void()> Main(std::function<void()> content) {
    return [this, content] {
      widgets.CenterNextWindow(800, 700);
      last_result = widgets.Window(ui::WindowKind::Frameless, 800, 700, main_state,
                                   "Проверка##main", "Проверка", content);
    };
  }
};

struct ButtonCase {
  const char* name;
  const char* label;  // as registered
  // Draws the button at the cursor; true when pressed.
  std::function<bool(ui::Widgets&)> show;
  bool disabled = false;
  float width = 0, height = 0;  // expected size; 0: not checked
};

const ButtonCase kButtonCases[] = {
    {"plain button", "Далее##next", [](ui::Widgets& w) { return w.Button("Далее##next", 21); }},
    {"accent default button of fixed width", "Установить##go",
     [](ui::Widgets& w) {
       return w.Button("Установить##go", 21, 136.0f, true, ButtonKind::Default);
     },
     false, 136, 0},
    {"disabled button", "Назад##back",
     [](ui::Widgets& w) {
       return w.Button("Назад##back", 21, std::nullopt, false, ButtonKind::Disabled);
     },
     true},
    {"tool button", "Обзор##browse", [](ui::Widgets& w) { return w.ToolButton("Обзор##browse"); }},
    {"disabled tool button", "Сброс##reset",
     [](ui::Widgets& w) { return w.ToolButton("Сброс##reset", ButtonKind::Disabled); }, true},
    {"title-bar button", "\xEE\xAB\xA5",
     [](ui::Widgets& w) { return w.TitlebarButton(ui::kGlyphMinimize); }, false, 40, 40},
    {"close button", "\xEE\xAB\xAC", [](ui::Widgets& w) { return w.CloseButton(); }, false, 36, 28},
};

}  // namespace

TEST(Buttons, PressedByMouseAndByEnterExceptWhenDisabled) {
  for (const auto& c : kButtonCases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    int presses = 0;
    bool focus = false;
    const auto draw = rig.Main([&] {
      ImGui::SetCursorPos(ImVec2(100, 100));
      if (c.show(rig.widgets)) ++presses;
      if (focus) {
        ImGui::SetFocusID(ImGui::GetItemID(), ImGui::GetCurrentWindow());
        ImGui::GetCurrentContext()->NavDisableHighlight = false;
        focus = false;
      }
    });
    rig.gui.Frame(draw);
    const ui::DrawnItem* found = rig.gui.LastFrame().FindItem(c.label);
    ASSERT_NE(found, nullptr) << "drawn";
    const ui::DrawnItem copy = *found;  // the report is replaced by the next frame
    const ui::DrawnItem* item = &copy;
    EXPECT_FLOAT_EQ(item->x, 100);
    EXPECT_FLOAT_EQ(item->y, 100);
    if (c.width > 0) {
      EXPECT_FLOAT_EQ(item->width, c.width);
    }
    if (c.height > 0) {
      EXPECT_FLOAT_EQ(item->height, c.height);
    }

    // The hand cursor while hovered, unless the button is disabled.
    rig.gui.MoveMouse(item->CenterX(), item->CenterY());
    rig.gui.Frame(draw);
    EXPECT_EQ(ImGui::GetMouseCursor() == ImGuiMouseCursor_Hand, !c.disabled);

    rig.gui.Click(item->CenterX(), item->CenterY(), draw);
    rig.gui.RunFrames(2, draw);
    EXPECT_EQ(presses, c.disabled ? 0 : 1) << "mouse";

    presses = 0;
    rig.gui.MoveMouse(700, 650);
    focus = true;
    rig.gui.RunFrames(2, draw);
    rig.gui.TapKey(kEnter, draw);
    rig.gui.RunFrames(2, draw);
    EXPECT_EQ(presses, c.disabled ? 0 : 1) << "Enter";
  }
}

TEST(Buttons, OutsideTheVisibleRegionNeitherDrawnNorPressed) {
  Rig rig;
  int presses = 0;
  bool with_button = false;
  const auto draw = rig.Main([&] {
    ImGui::SetCursorPos(ImVec2(100, 100));
    ImGui::TextUnformatted("текст");
    if (!with_button) return;
    // Far below the window's clip rectangle.
    ImGui::SetCursorPos(ImVec2(100, 2000));
    if (rig.widgets.Button("Скрыта##hidden", 21)) ++presses;
  });
  const int without = rig.gui.Frame(draw).vertices;
  with_button = true;
  const auto& frame = rig.gui.Frame(draw);
  EXPECT_EQ(frame.vertices, without);
  EXPECT_EQ(frame.FindItem("Скрыта##hidden"), nullptr);

  // In a hidden (collapsed) window: skipped altogether.
  const auto collapsed = [&] {
    ImGui::SetNextWindowPos(ImVec2(100, 100));
    ImGui::SetNextWindowSize(ImVec2(300, 200));
    ImGui::SetNextWindowCollapsed(true);
    ImGui::Begin("Свёрнуто##collapsed");
    ImGui::SetCursorPos(ImVec2(10, 10));
    if (rig.widgets.ToolButton("Внутри##inside")) ++presses;
    ImGui::End();
  };
  const auto& hidden = rig.gui.Frame(collapsed);
  EXPECT_EQ(hidden.FindItem("Внутри##inside"), nullptr);
  rig.gui.Click(115, 115, collapsed);
  // Enter with nothing focused and clicks where the window ends press nothing.
  rig.gui.TapKey(kEnter, draw);
  rig.gui.Click(100, 699, draw);
  EXPECT_EQ(presses, 0);
}

TEST(Widgets, FramelessMainWindowIsTheNativeWindowAndReportsAPlatformClose) {
  Rig rig;
  int content_frames = 0;
  const auto draw = rig.Main([&] { ++content_frames; });
  rig.gui.Frame(draw);
  auto& window = rig.gui.Window();
  EXPECT_TRUE(window.Frameless());
  EXPECT_EQ(window.Caption(), "Проверка");
  EXPECT_EQ(window.Rect(), (ui::ScreenRect{240, 162, 800, 700}));  // centred on 1280 x 1024
  const ui::DrawnWindow* drawn = rig.gui.LastFrame().FindWindow("Проверка##main");
  ASSERT_NE(drawn, nullptr);
  EXPECT_EQ(drawn->x, 0);
  EXPECT_EQ(drawn->width, 800);
  EXPECT_EQ(drawn->height, 700);
  EXPECT_EQ(rig.last_result, 0u);

  // Alt+F4 or the taskbar: the next frame reports it once; nothing else ends.
  window.SystemClose();
  rig.gui.Frame(draw);
  EXPECT_EQ(rig.last_result, ui::kWindowClosed);
  rig.gui.Frame(draw);
  EXPECT_EQ(rig.last_result, 0u);
  EXPECT_FALSE(window.ShouldClose());
  EXPECT_TRUE(window.Visible());
  EXPECT_EQ(content_frames, 3);
}

TEST(Widgets, TitleBarOfAnOrdinaryWindowMinimisesMaximisesRestoresAndCloses) {
  Rig rig;
  ui::WindowState state;
  ui::WindowOptions options;
  options.minimize_button = true;
  options.maximize_button = true;
  std::uint32_t result = 0;
  const auto draw = rig.Main([&] {
    ImGui::SetNextWindowPos(ImVec2(100, 100), ImGuiCond_FirstUseEver);
    result = rig.widgets.Window(
        ui::WindowKind::Fixed, 300, 200, state, "Окно##inner", "Окно",
        [] { ImGui::TextUnformatted("содержимое"); }, options);
  });
  const auto& first = rig.gui.Frame(draw);
  EXPECT_TRUE(first.HasText("Окно"));
  EXPECT_TRUE(first.HasText("содержимое"));
  const ui::DrawnWindow* inner = first.FindWindow("Окно##inner");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->width, 300);
  EXPECT_EQ(inner->height, 200);
  // Right end of the title bar: minimise, maximise (40 each), close (36).
  const ui::DrawnItem* minimise = first.FindItem("\xEE\xAB\xA5");
  const ui::DrawnItem* maximise = first.FindItem("\xEE\xA8\xAF");
  const ui::DrawnItem* close = first.FindItem("\xEE\xAB\xAC");
  ASSERT_TRUE(minimise && maximise && close);
  EXPECT_FLOAT_EQ(close->x + close->width, 400);
  EXPECT_FLOAT_EQ(maximise->x + maximise->width, close->x);
  const float close_x = close->CenterX(), close_y = close->CenterY();
  const float max_x = maximise->CenterX(), max_y = maximise->CenterY();
  const float min_x = minimise->CenterX(), min_y = minimise->CenterY();

  rig.gui.Click(max_x, max_y, draw);
  EXPECT_EQ(result, ui::kWindowMaximizeAsked);
  EXPECT_TRUE(state.maximized);
  rig.gui.Frame(draw);
  inner = rig.gui.LastFrame().FindWindow("Окно##inner");
  EXPECT_EQ(inner->width, 800);
  EXPECT_EQ(inner->height, 700);
  // The maximise button moved with the window's right edge.
  const ui::DrawnItem* restore = rig.gui.LastFrame().FindItem("\xEE\xA8\xAF");
  rig.gui.Click(restore->CenterX(), restore->CenterY(), draw);
  EXPECT_EQ(result, ui::kWindowRestoreAsked);
  EXPECT_FALSE(state.maximized);
  rig.gui.Frame(draw);
  inner = rig.gui.LastFrame().FindWindow("Окно##inner");
  EXPECT_EQ(inner->x, 100);
  EXPECT_EQ(inner->width, 300);

  rig.gui.Click(close_x, close_y, draw);
  EXPECT_EQ(result, ui::kWindowClosed);

  rig.gui.Click(min_x, min_y, draw);
  EXPECT_EQ(result, ui::kWindowMinimized);
  EXPECT_TRUE(rig.gui.Window().Minimized());
}

TEST(Widgets, TitleBarDragMovesTheInnerWindow) {
  Rig rig;
  ui::WindowState state;
  const auto draw = rig.Main([&] {
    ImGui::SetNextWindowPos(ImVec2(100, 100), ImGuiCond_FirstUseEver);
    rig.widgets.Window(ui::WindowKind::Fixed, 300, 200, state, "Окно##inner", "Окно", [] {});
  });
  rig.gui.Frame(draw);
  rig.gui.MoveMouse(200, 120);
  rig.gui.Frame(draw);
  rig.gui.PressMouse();
  rig.gui.Frame(draw);
  rig.gui.MoveMouse(260, 160);
  rig.gui.Frame(draw);
  rig.gui.ReleaseMouse();
  rig.gui.Frame(draw);
  rig.gui.MoveMouse(500, 500);
  rig.gui.Frame(draw);
  const ui::DrawnWindow* inner = rig.gui.LastFrame().FindWindow("Окно##inner");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->x, 160);
  EXPECT_EQ(inner->y, 140);

  // The content does not drag the window, and neither does the platform window move.
  rig.gui.MoveMouse(260, 260);
  rig.gui.Frame(draw);
  rig.gui.PressMouse();
  rig.gui.Frame(draw);
  rig.gui.MoveMouse(300, 300);
  rig.gui.Frame(draw);
  rig.gui.ReleaseMouse();
  rig.gui.Frame(draw);
  inner = rig.gui.LastFrame().FindWindow("Окно##inner");
  EXPECT_EQ(inner->x, 160);
  EXPECT_EQ(rig.gui.Window().Rect(), (ui::ScreenRect{240, 162, 800, 700}));
}

TEST(Widgets, TheFramelessWindowsTitleBandDragsThePlatformWindow) {
  Rig rig;
  ui::WindowOptions options;
  options.drag_height = 90;
  int presses = 0;
  const auto draw = [&] {
    rig.widgets.Window(
        ui::WindowKind::Frameless, 800, 700, rig.main_state, "Проверка##main", "Проверка",
        [&] {
          ImGui::SetCursorPos(ImVec2(700, 30));
          if (rig.widgets.TitlebarButton(ui::kGlyphMinimize)) ++presses;
        },
        options);
  };
  rig.gui.Frame(draw);
  auto& window = rig.gui.Window();
  const ui::ScreenRect start = window.Rect();
  auto& cursor = window.MutableInput().cursor;

  // Pressed on the band where no item is: the window follows the cursor.
  rig.gui.MoveMouse(300, 40);
  rig.gui.Frame(draw);
  rig.gui.PressMouse();
  rig.gui.Frame(draw);
  cursor = {start.x + 350, start.y + 70};
  rig.gui.Frame(draw);
  rig.gui.ReleaseMouse();
  rig.gui.Frame(draw);
  EXPECT_EQ(window.Rect().x, start.x + 50);
  EXPECT_EQ(window.Rect().y, start.y + 30);

  // Below the band, or on a button in it, nothing moves.
  for (const auto& point : {ImVec2(300, 200), ImVec2(720, 50)}) {
    const ui::ScreenRect before = window.Rect();
    rig.gui.MoveMouse(point.x, point.y);
    rig.gui.Frame(draw);
    rig.gui.PressMouse();
    rig.gui.Frame(draw);
    cursor = {cursor.x + 40, cursor.y + 40};
    rig.gui.Frame(draw);
    rig.gui.ReleaseMouse();
    rig.gui.Frame(draw);
    EXPECT_EQ(window.Rect(), before);
  }
  EXPECT_EQ(presses, 0) << "the drag off the button is no press";
}

TEST(Widgets, AWindowOperationFromAnotherThreadIsPostedToTheGuiThread) {
  Rig rig;
  const auto draw = rig.Main([] {});
  rig.gui.Frame(draw);
  std::thread logic([&] { rig.gui.Window().PostMinimize(); });
  logic.join();
  EXPECT_FALSE(rig.gui.Window().Minimized()) << "not before the GUI thread pumps";
  rig.gui.Frame(draw);
  EXPECT_TRUE(rig.gui.Window().Minimized());
}

TEST(Widgets, ContentGetsKeyboardFocusTheFirstTimeAStateIsUsed) {
  Rig rig;
  ui::WindowState state;
  bool focused = false;
  const auto draw = rig.Main([&] {
    ImGui::SetNextWindowPos(ImVec2(100, 100), ImGuiCond_FirstUseEver);
    rig.widgets.Window(ui::WindowKind::Fixed, 300, 200, state, "Окно##inner", "Окно",
                       [&] { focused = ImGui::IsWindowFocused(); });
  });
  rig.gui.RunFrames(2, draw);
  EXPECT_TRUE(state.focused);
  EXPECT_TRUE(focused);
}

TEST(Widgets, APopupClosedFromOutsideReportsItOnce) {
  Rig rig;
  ui::WindowState state;
  bool open_now = false;
  std::vector<std::uint32_t> results;
  const auto draw = rig.Main([&] {
    if (open_now) ImGui::OpenPopup("Меню##menu");
    open_now = false;
    ImGui::SetNextWindowPos(ImVec2(100, 100));
    results.push_back(rig.widgets.Window(ui::WindowKind::Popup, 200, 120, state, "Меню##menu",
                                         "Меню", [] { ImGui::TextUnformatted("пункт"); }));
  });
  rig.gui.Frame(draw);
  open_now = true;
  rig.gui.RunFrames(3, draw);
  EXPECT_TRUE(rig.gui.LastFrame().HasText("пункт"));
  results.clear();
  rig.gui.Click(600, 600, draw);
  rig.gui.RunFrames(2, draw);
  EXPECT_FALSE(rig.gui.LastFrame().HasText("пункт"));
  EXPECT_EQ(std::count(results.begin(), results.end(), ui::kWindowClosed), 1);
}
