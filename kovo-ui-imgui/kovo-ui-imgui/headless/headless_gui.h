// Runs any drawing code (a controller's Draw, a view, a widget) frame by
// frame on a NullGuiContext, with mouse and keyboard input injected the way
// the platform back end delivers it, and reports what each frame drew.
//
//   HeadlessGui gui;
//   auto frame = gui.Click(400, 300, [&] { controller.Draw(); });
//   EXPECT_TRUE(frame.HasText("Установить"));
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kovo-ui-imgui/headless/null_gui_context.h"

namespace kovo::desktop::ui::imgui {

// An item Dear ImGui registered (anything with an id: buttons, check boxes,
// selectables, custom widgets). The label is known for ImGui's own widgets.
struct DrawnItem {
  unsigned id = 0;
  std::string label;
  float x = 0, y = 0, width = 0, height = 0;  // window client coordinates
  int status_flags = 0;

  float CenterX() const { return x + width / 2; }
  float CenterY() const { return y + height / 2; }
};

struct DrawnWindow {
  std::string name;
  float x = 0, y = 0, width = 0, height = 0;
  // The glyphs this window drew, read back from the draw data: words
  // separated by blanks, lines by line breaks.
  std::string text;
};

struct FrameReport {
  int frame = 0;
  std::vector<DrawnItem> items;
  std::vector<DrawnWindow> windows;
  // Every texture drawn except the font atlas, in drawing order, once each.
  std::vector<void*> textures;
  std::string text;  // all windows' text, in drawing order
  int vertices = 0;
  unsigned hovered_id = 0;
  unsigned active_id = 0;

  // Whether the text was drawn, blanks and line breaks disregarded.
  bool HasText(std::string_view text) const;
  // By full label ("OK##confirm") or by its visible part ("OK").
  const DrawnItem* FindItem(std::string_view label) const;
  const DrawnWindow* FindWindow(std::string_view name) const;
  bool DrewTexture(const void* texture_id) const;
};

class HeadlessGui {
 public:
  using Draw = std::function<void()>;

  HeadlessGui();
  explicit HeadlessGui(NullGuiContext::Options options);
  ~HeadlessGui();
  HeadlessGui(const HeadlessGui&) = delete;
  HeadlessGui& operator=(const HeadlessGui&) = delete;

  NullGuiContext& Context() { return *context_; }
  NullWindow& Window() { return context_->Null(); }
  NullGraphicsDevice& Device() { return context_->NullDevice(); }

  // One frame as the application runs it: pump, new frame, draw, render,
  // clear, draw data, present.
  const FrameReport& Frame(const Draw& draw);
  const FrameReport& RunFrames(int count, const Draw& draw);
  const FrameReport& LastFrame() const { return report_; }

  // --- Input, seen from the next frame on. Positions are client pixels. ---
  void MoveMouse(float x, float y);
  void PressMouse(int button = 0);
  void ReleaseMouse(int button = 0);
  void PressKey(Key key);
  void ReleaseKey(Key key);
  void TypeText(std::string_view utf8);

  // Dear ImGui sees one mouse state per frame, so a click takes three
  // frames: the pointer arrives, the button goes down, the button comes up.
  // Returns the report of the last one, the frame in which a button reports
  // its press.
  const FrameReport& Click(float x, float y, const Draw& draw, int button = 0);
  // Clicks the centre of the item with that label in the last frame; false
  // when the last frame drew no such item.
  bool ClickItem(std::string_view label, const Draw& draw);
  // Down in one frame, up in the next.
  const FrameReport& TapKey(Key key, const Draw& draw);

 private:
  class Recorder;

  void BuildReport();

  std::unique_ptr<NullGuiContext> context_;
  std::unique_ptr<Recorder> recorder_;
  FrameReport report_;
  int frame_number_ = 0;
};

}  // namespace kovo::desktop::ui::imgui
