// The installer's confirmation boxes on the null GUI context: opened and
// closed only by `visible`, answering through the event queue.
#include <gtest/gtest.h>
#include <imgui.h>
#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/graphics/key_mapper.h>
#include <kovo-ui-imgui/headless/headless_gui.h>
#include <kovo-ui-imgui/widgets/widgets.h>

#include <functional>
#include <map>
#include <string>

#include "installer/page_events.h"
#include "installer/views/message_box_view.h"
#include "translator/lang.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;
using installer::Events::InstallPageView::CancelDecision;
using installer::Events::InstallPageView::CloseDecision;

namespace {

struct YesEvent {};
struct NoEvent {};
struct CloseEvent {};

constexpr char kCloseId[] = "Подтверждение завершения##exit_msg";
constexpr char kCancelId[] = "Подтверждение отмены##cancel_msg";

void SetBoxTexts(installer::PageData& data) {
  data.closeBox.id = "Подтверждение завершения";
  data.closeBox.title = "Вы действительно хотите завершить?";
  data.closeBox.message = "Процесс установки будет остановлен";
  data.closeBox.yes = "Да";
  data.closeBox.no = "Нет";
  data.cancelBox = data.closeBox;
  data.cancelBox.id = "Подтверждение отмены";
  data.cancelBox.title = "Вы действительно хотите отменить?";
}

// The page view's setting: a box drawn inside the frameless main window's
// page region. Events are counted when the logic thread would run them.
struct Rig {
  ui::HeadlessGui gui;
  ui::EventSystem events;
  ui::SafeQueue queue;
  ui::AppContext context{events, queue, gui.Context()};
  ui::Widgets widgets{context};
  ui::WindowState main_state;
  installer::PageData data;
  std::map<std::string, int> received;
  std::vector<std::string> order;

  Rig() {
    installer::SetLanguage(installer::kLanguageRussian);
    SetBoxTexts(data);
    Count<ui::Events::System::RedrawUiEvent>("redraw");
  }

  template <typename E>
  void Count(const std::string& name) {
    events.Connect<E>(std::function<void(const E&)>([this, name](const E&) {
      ++received[name];
      order.push_back(name);
    }));
  }

  std::function<void()> Page(std::function<void()> boxes) {
    return [this, boxes] {
      widgets.CenterNextWindow(800, 700);
      widgets.Window(ui::WindowKind::Frameless, 800, 700, main_state, "КОВО Плагин##main",
                     "КОВО Плагин", [&] {
                       ImGui::BeginChild("WebInstaller", ImVec2(800, 700));
                       boxes();
                       ImGui::EndChild();
                     });
    };
  }

  // A frame, then what the logic thread would dispatch.
  const ui::FrameReport& Frame(const std::function<void()>& draw) {
    const auto& report = gui.Frame(draw);
    Drain();
    return report;
  }
  void Drain() {
    for (auto& closure : queue.TakeAll()) closure();
  }
  void Reset() {
    received.clear();
    order.clear();
  }
};

using TestBox = installer::MessageBoxView<YesEvent, NoEvent, CloseEvent>;

struct AnswerCase {
  const char* name;
  // What the user does to the open box.
  std::function<void(Rig&, const std::function<void()>&)> act;
  const char* expected;
};

const AnswerCase kAnswerCases[] = {
    {"click on Да",
     [](Rig& rig, const std::function<void()>& draw) {
       ASSERT_TRUE(rig.gui.ClickItem("Да", draw));
       rig.Drain();
     },
     "yes"},
    {"click on Нет",
     [](Rig& rig, const std::function<void()>& draw) {
       ASSERT_TRUE(rig.gui.ClickItem("Нет", draw));
       rig.Drain();
     },
     "no"},
    {"Escape",
     [](Rig& rig, const std::function<void()>& draw) {
       rig.gui.TapKey(*ui::Win32KeyMapper().FromNative(27), draw);
       rig.Drain();
     },
     "close"},
};

}  // namespace

TEST(MessageBox, OpensOnVisibleAndAnswersThroughTheQueue) {
  for (const auto& c : kAnswerCases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    TestBox box(rig.context, rig.data.closeBox, kCloseId);
    rig.Count<YesEvent>("yes");
    rig.Count<NoEvent>("no");
    rig.Count<CloseEvent>("close");
    const auto draw = rig.Page([&] { box.Draw(); });

    const auto& closed = rig.Frame(draw);
    EXPECT_EQ(closed.FindWindow(kCloseId), nullptr);
    EXPECT_TRUE(rig.received.empty());

    // Opened in this frame, which asks for one more; shown from the next on
    // (Dear ImGui keeps a popup hidden in its first frame).
    rig.data.closeBox.visible = true;
    rig.Frame(draw);
    EXPECT_EQ(rig.received, (std::map<std::string, int>{{"redraw", 1}}));
    const auto& opened = rig.Frame(draw);
    const ui::DrawnWindow* window = opened.FindWindow(kCloseId);
    ASSERT_NE(window, nullptr);
    // 350 x 146, centred on the 800 x 700 window.
    EXPECT_EQ(window->x, 225);
    EXPECT_EQ(window->y, 277);
    EXPECT_EQ(window->width, 350);
    EXPECT_EQ(window->height, 146);
    EXPECT_TRUE(opened.HasText("Вы действительно хотите завершить?"));
    EXPECT_TRUE(opened.HasText("Процесс установки будет остановлен"));
    const ui::DrawnItem* yes = opened.FindItem("Да");
    const ui::DrawnItem* no = opened.FindItem("Нет");
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(yes->width, 136);
    EXPECT_EQ(yes->height, 32);
    EXPECT_FLOAT_EQ(no->x - (yes->x + yes->width), 10);
    // The pair is centred in the box.
    EXPECT_FLOAT_EQ(yes->x - 225, 575 - (no->x + no->width));
    // Inside the box, below its texts.
    EXPECT_GT(yes->y, 277 + 40);
    EXPECT_LE(yes->y + yes->height, 277 + 146);
    EXPECT_EQ(rig.received, (std::map<std::string, int>{{"redraw", 1}})) << "opened once";

    rig.Reset();
    rig.gui.RunFrames(2, draw);
    rig.Drain();
    EXPECT_TRUE(rig.received.empty()) << "nothing while it stays open";

    c.act(rig, draw);
    EXPECT_EQ(rig.received, (std::map<std::string, int>{{c.expected, 1}}));
    // The box stays until the controller hides it.
    EXPECT_NE(rig.gui.LastFrame().FindWindow(kCloseId), nullptr);
  }
}

TEST(MessageBox, ClearingVisibleClosesItInTheNextFrameWithoutAnAnswer) {
  Rig rig;
  TestBox box(rig.context, rig.data.closeBox, kCloseId);
  rig.Count<YesEvent>("yes");
  rig.Count<NoEvent>("no");
  rig.Count<CloseEvent>("close");
  const auto draw = rig.Page([&] { box.Draw(); });
  rig.data.closeBox.visible = true;
  rig.Frame(draw);
  rig.Frame(draw);
  const ui::DrawnItem* yes = rig.gui.LastFrame().FindItem("Да");
  ASSERT_NE(yes, nullptr);

  // The controller hides the box while the user holds Escape and clicks Да.
  rig.Reset();
  rig.data.closeBox.visible = false;
  rig.gui.MoveMouse(yes->CenterX(), yes->CenterY());
  rig.gui.PressKey(*ui::Win32KeyMapper().FromNative(27));
  rig.Frame(draw);
  EXPECT_EQ(rig.received, (std::map<std::string, int>{{"redraw", 1}}));
  rig.gui.ReleaseKey(*ui::Win32KeyMapper().FromNative(27));
  rig.gui.PressMouse();
  const auto& gone = rig.Frame(draw);
  EXPECT_EQ(gone.FindWindow(kCloseId), nullptr);
  rig.gui.ReleaseMouse();
  rig.Frame(draw);
  rig.Frame(draw);
  EXPECT_EQ(rig.received, (std::map<std::string, int>{{"redraw", 1}}));

  // And it opens again when shown again.
  rig.data.closeBox.visible = true;
  rig.Frame(draw);
  rig.Frame(draw);
  EXPECT_NE(rig.gui.LastFrame().FindWindow(kCloseId), nullptr);
}

TEST(MessageBox, TheInstallersTwoBoxesOneAfterTheOther) {
  Rig rig;
  installer::MessageBoxView<CloseDecision<true>, CloseDecision<false>, CloseDecision<false>>
      close_box(rig.context, rig.data.closeBox, kCloseId);
  installer::MessageBoxView<CancelDecision<true>, CancelDecision<false>, CancelDecision<false>>
      cancel_box(rig.context, rig.data.cancelBox, kCancelId);
  rig.Count<CloseDecision<true>>("close yes");
  rig.Count<CloseDecision<false>>("close no");
  rig.Count<CancelDecision<true>>("cancel yes");
  rig.Count<CancelDecision<false>>("cancel no");
  const auto draw = rig.Page([&] {
    close_box.Draw();
    cancel_box.Draw();
  });

  // Both asked for: the close box shows; the cancel box does not open over it.
  rig.data.closeBox.visible = true;
  rig.data.cancelBox.visible = true;
  rig.Frame(draw);
  const auto& both = rig.Frame(draw);
  EXPECT_NE(both.FindWindow(kCloseId), nullptr);
  EXPECT_EQ(both.FindWindow(kCancelId), nullptr);
  EXPECT_TRUE(both.HasText("Вы действительно хотите завершить?"));
  EXPECT_FALSE(both.HasText("Вы действительно хотите отменить?"));

  // Escape answers only the box that is shown.
  rig.Reset();
  rig.gui.TapKey(*ui::Win32KeyMapper().FromNative(27), draw);
  rig.Drain();
  EXPECT_EQ(rig.received, (std::map<std::string, int>{{"close no", 1}}));

  // Hidden, the close box gives way to the cancel box, drawn after it.
  rig.Reset();
  rig.data.closeBox.visible = false;
  rig.Frame(draw);
  rig.Frame(draw);
  const auto& cancel = rig.Frame(draw);
  EXPECT_EQ(cancel.FindWindow(kCloseId), nullptr);
  ASSERT_NE(cancel.FindWindow(kCancelId), nullptr);
  EXPECT_TRUE(cancel.HasText("Вы действительно хотите отменить?"));
  ASSERT_TRUE(rig.gui.ClickItem("Да", draw));
  rig.Drain();
  EXPECT_EQ(rig.received["cancel yes"], 1);
  EXPECT_EQ(rig.received.count("close yes"), 0u);

  // English texts when drawn in English.
  installer::SetLanguage(installer::kLanguageEnglish);
  const auto& english = rig.Frame(draw);
  EXPECT_TRUE(english.HasText("Are you sure you want to cancel?"));
  EXPECT_TRUE(english.HasText("The installation process will be stopped."));
  EXPECT_NE(english.FindItem("Yes"), nullptr);
  EXPECT_NE(english.FindItem("No"), nullptr);
  installer::SetLanguage(installer::kLanguageRussian);
}
