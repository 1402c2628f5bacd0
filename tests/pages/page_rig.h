// Draws the installer page view headless, frame by frame, with the real
// PageModel, an event queue drained on the test thread, every event of the
// page recorded and the operating system calls recorded instead of made.
#pragma once

#include <kovo-ui-imgui/application/app_context.h>
#include <kovo-ui-imgui/events/event_system.h>
#include <kovo-ui-imgui/events/safe_queue.h>
#include <kovo-ui-imgui/headless/headless_gui.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "installer/page_events.h"
#include "installer/page_model.h"
#include "installer/views/installer_page_view.h"
#include "installer/views/page_os_calls.h"

namespace kovo::testing {

class PageRig {
 public:
  PageRig();
  ~PageRig();

  // Changes the page state as the controller would, between frames.
  void Set(const std::function<void(plugin::web::installer::PageData&)>& change);
  plugin::web::installer::PageData& Data() { return *data_; }

  // One frame (or a click taking three), then the queue is drained so that
  // the recorded events are those of these frames.
  const desktop::ui::imgui::FrameReport& Frame();
  const desktop::ui::imgui::FrameReport& Frames(int count);
  const desktop::ui::imgui::FrameReport& Click(float x, float y);
  // Clicks the item with that label drawn in the last frame; false if none.
  bool ClickItem(const std::string& label);
  // Scrolls the options page's choice region until the item with that label
  // lies well inside it, then clicks it; false if it never shows.
  bool ClickChoice(const std::string& label);
  // Scrolls through the choice region from its top: the item with that label
  // as first seen, or none; and all text the frames drew on the way.
  std::optional<desktop::ui::imgui::DrawnItem> FindChoice(const std::string& label);
  std::string ScrollThroughChoices();
  // The first item whose whole label starts with the text.
  const desktop::ui::imgui::DrawnItem* FindItemStartingWith(const std::string& prefix) const;

  // Names of the events received, in order ("Close", "Start", ...), and the
  // fields of the last ones that carry fields.
  std::vector<std::string> events;
  std::optional<plugin::web::installer::Events::InstallPageView::StartClickedEvent> start;
  std::vector<std::string> chosenPaths;
  // What the page asked of the operating system.
  std::vector<std::string> openedUrls;
  std::vector<std::string> pickerStartFolders;
  // The picker's answer: a folder, or none for a cancel.
  std::optional<std::string> pickerAnswer;

  std::vector<std::string> TakeEvents();

  desktop::ui::imgui::HeadlessGui gui;
  plugin::web::installer::InstallerPageView& View() { return *view_; }
  const desktop::ui::imgui::FrameReport& Last() const { return gui.LastFrame(); }

 private:
  void Drain();
  void ScrollChoices(float wheel);

  desktop::ui::imgui::EventSystem events_;
  desktop::ui::imgui::SafeQueue queue_;
  desktop::ui::imgui::AppContext context_;
  plugin::web::installer::PageModel model_;
  plugin::web::installer::PageData* data_;
  std::unique_ptr<plugin::web::installer::ScopedPageOsCalls> os_calls_;
  std::unique_ptr<plugin::web::installer::InstallerPageView> view_;
};

}  // namespace kovo::testing
