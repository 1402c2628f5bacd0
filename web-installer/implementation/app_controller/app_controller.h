// The installer's root controller: the one controller the framework's
// Application creates and drives. It owns the installer page controller,
// turns the page's quit request (ShouldQuit) into the framework's Exit, and
// hands the framework's two per-tick calls on to the controllers it owns.
//
// Threads: constructed on the thread that runs Application::Exec before the
// logic thread starts; Update runs on the logic thread and Draw on the GUI
// thread, both under the application mutex, so neither takes a lock of its
// own. The page controller is built on the logic thread, by a closure queued
// in the constructor; an exception from its construction ends the logic
// thread (the framework logs it) and with it the program.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "kovo-ui-imgui/application/app_context.h"
#include "kovo-ui-imgui/application/controller.h"
#include "kovo-ui-imgui/events/event_system.h"
#include "kovo-ui-imgui/events/safe_queue.h"
#include "kovo-ui-imgui/graphics/gui_context.h"

namespace kovo::plugin::web::installer {

class AppController final : public desktop::ui::imgui::IController {
 public:
  using AppContext = desktop::ui::imgui::AppContext;
  using ControllerSlot = std::unique_ptr<desktop::ui::imgui::IController>;
  using ControllerSlots = std::vector<std::reference_wrapper<ControllerSlot>>;
  // Builds the page controller on the logic thread from the context member.
  using PageControllerFactory = std::function<ControllerSlot(AppContext&)>;

  // The installer page controller.
  AppController(desktop::ui::imgui::EventSystem& events, desktop::ui::imgui::SafeQueue& queue,
                desktop::ui::imgui::GUIContext& gui);
  // Another page controller in its place (tests).
  AppController(desktop::ui::imgui::EventSystem& events, desktop::ui::imgui::SafeQueue& queue,
                desktop::ui::imgui::GUIContext& gui, PageControllerFactory makePageController);
  ~AppController() override;
  AppController(const AppController&) = delete;
  AppController& operator=(const AppController&) = delete;

  // True while at least one owned controller exists; what the owned
  // controllers' Update return does not matter.
  bool Update() override;
  void Draw() override;

 private:
  friend struct AppControllerTestAccess;

  void InitInstallerPage();
  // Empties the controller slots on the logic thread, which ends it.
  void CloseApplication();

  PageControllerFactory makePageController_;
  AppContext context_;
  desktop::ui::imgui::ConnectionHolder connections_;
  ControllerSlots controllers_;
  // Declared last: destroyed first, before the slots and the connections.
  ControllerSlot pageController_;
};

}  // namespace kovo::plugin::web::installer
