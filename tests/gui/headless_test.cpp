#include <gtest/gtest.h>

#include <string>

#include <imgui.h>

#include <kovo-ui-imgui/graphics/window_drag.h>
#include <kovo-ui-imgui/headless/headless_gui.h>

namespace ui = kovo::desktop::ui::imgui;

namespace {

// A small page: a window filling the viewport with text in two faces, a
// button, a text field and an image.
struct Page {
  ui::HeadlessGui& gui;
  void* image = nullptr;
  int presses = 0;
  char field[64] = "";

  void Draw() {
    const auto& fonts = gui.Context().GetFontCache();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(800, 700));
    ImGui::Begin("Страница##page", nullptr, ImGuiWindowFlags_NoDecoration);
    ImGui::PushFont(fonts.Get({ui::FontKind::Regular, 37}));
    ImGui::TextUnformatted("КОВО Плагин");
    ImGui::PopFont();
    ImGui::TextUnformatted("Установка — «шаг №1»…");
    ImGui::TextUnformatted("second line");
    ImGui::SetCursorPos(ImVec2(600, 600));
    if (ImGui::Button("Установить##start", ImVec2(140, 48))) ++presses;
    ImGui::SetCursorPos(ImVec2(40, 400));
    ImGui::InputText("##field", field, sizeof(field));
    if (image) ImGui::Image(image, ImVec2(16, 16));
    ImGui::End();
  }
};

}  // namespace

TEST(HeadlessGui, ReadsBackTheTextEachWindowDrew) {
  ui::HeadlessGui gui;
  Page page{gui};
  const auto& frame = gui.Frame([&] { page.Draw(); });

  EXPECT_TRUE(frame.HasText("КОВО Плагин"));
  EXPECT_TRUE(frame.HasText("Установка — «шаг №1»…"));
  EXPECT_FALSE(frame.HasText("Установка завершена"));
  const auto* window = frame.FindWindow("Страница##page");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->width, 800);
  // Blanks between words and breaks between lines are kept.
  EXPECT_NE(window->text.find("КОВО Плагин\nУстановка — «шаг №1»…\nsecond line"), std::string::npos)
      << window->text;
}

TEST(HeadlessGui, AClickReachesAButtonOnceAndItemsAreFoundByLabel) {
  ui::HeadlessGui gui;
  Page page{gui};
  const auto draw = [&] { page.Draw(); };
  gui.Frame(draw);

  const auto* button = gui.LastFrame().FindItem("Установить");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->label, "Установить##start");
  EXPECT_FLOAT_EQ(button->x, 600);
  EXPECT_FLOAT_EQ(button->width, 140);

  gui.Click(100, 100, draw);
  EXPECT_EQ(page.presses, 0);
  ASSERT_TRUE(gui.ClickItem("Установить##start", draw));
  EXPECT_EQ(page.presses, 1);
  gui.RunFrames(3, draw);
  EXPECT_EQ(page.presses, 1);
  EXPECT_FALSE(gui.ClickItem("Отмена", draw));
}

TEST(HeadlessGui, TypedTextReachesAFocusedField) {
  ui::HeadlessGui gui;
  Page page{gui};
  const auto draw = [&] { page.Draw(); };
  gui.Frame(draw);
  const auto* field = gui.LastFrame().FindItem("##field");
  ASSERT_NE(field, nullptr);
  gui.Click(field->CenterX(), field->CenterY(), draw);
  gui.TypeText("Путь C:\\КОВО");
  gui.Frame(draw);
  EXPECT_STREQ(page.field, "Путь C:\\КОВО");
  gui.TapKey(1, draw);  // Backspace
  EXPECT_STREQ(page.field, "Путь C:\\КОВ");
}

TEST(HeadlessGui, ReportsTheTexturesDrawnAndWhatTheDeviceDid) {
  ui::HeadlessGui gui;
  Page page{gui};
  auto texture = gui.Device().CreateTexture(16, 16, ui::PixelFormat::Rgba);
  page.image = texture->GetHandle();
  const auto& frame = gui.RunFrames(2, [&] { page.Draw(); });

  EXPECT_EQ(frame.textures, std::vector<void*>{texture->GetHandle()});
  EXPECT_EQ(gui.Device().Presents(), 2);
  EXPECT_EQ(gui.Device().Clears(), 2);
  EXPECT_GT(frame.vertices, 0);
}

TEST(WindowDrag, MovesTheWindowWithTheCursorWhileTheButtonIsHeld) {
  ui::NullWindow window(800, 700, true);
  window.ShowFrameless("КОВО Плагин##main", 800, 700);
  const auto start = window.Rect();
  auto& cursor = window.MutableInput().cursor;
  ui::WindowDrag drag;

  cursor = {start.x + 100, start.y + 20};
  drag.Update(window, window.GetHandle(), true, true);
  EXPECT_TRUE(drag.Active());
  cursor = {start.x + 150, start.y + 50};
  drag.Update(window, window.GetHandle(), false, true);
  EXPECT_EQ(window.Rect().x, start.x + 50);
  EXPECT_EQ(window.Rect().y, start.y + 30);
  // The cursor is now where it was on the window; a further step moves on.
  cursor = {start.x + 140, start.y + 10};
  drag.Update(window, window.GetHandle(), false, true);
  EXPECT_EQ(window.Rect().x, start.x + 40);
  EXPECT_EQ(window.Rect().y, start.y - 10);

  drag.Update(window, window.GetHandle(), false, false);
  EXPECT_FALSE(drag.Active());
  cursor = {start.x + 500, start.y + 500};
  drag.Update(window, window.GetHandle(), false, true);
  EXPECT_EQ(window.Rect().x, start.x + 40);
}
