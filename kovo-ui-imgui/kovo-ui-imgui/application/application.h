// The object a program creates to get a window, a Dear ImGui context on the
// graphics device and a controller running on its own logic thread.
//
//   auto app = Application::Create<MyController>(std::move(info));
//   return app ? app->Exec() : -1;
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "kovo-ui-imgui/application/application_create_info.h"
#include "kovo-ui-imgui/application/controller.h"
#include "kovo-ui-imgui/events/event_system.h"
#include "kovo-ui-imgui/events/safe_queue.h"
#include "kovo-ui-imgui/graphics/gui_context.h"

namespace kovo::desktop::ui::imgui {

class Application {
 public:
  using ControllerFactory =
      std::function<std::unique_ptr<IController>(EventSystem&, SafeQueue&, GUIContext&)>;

  // Empty when no graphics back end is available or the GUI context could not
  // be created; the reason is logged.
  template <typename Controller>
  static std::unique_ptr<Application> Create(ApplicationCreateInfo&& info) {
    return Create(std::move(info), FactoryFor<Controller>());
  }
  static std::unique_ptr<Application> Create(ApplicationCreateInfo&& info,
                                             ControllerFactory factory);

  // Builds a Controller from (EventSystem&, SafeQueue&, GUIContext&).
  template <typename Controller>
  static ControllerFactory FactoryFor() {
    return
        [](EventSystem& events, SafeQueue& queue, GUIContext& gui) -> std::unique_ptr<IController> {
          return std::make_unique<Controller>(events, queue, gui);
        };
  }

  Application(const bool& wait_events, std::unique_ptr<GUIContext>&& gui,
              ControllerFactory&& factory);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the application on the calling thread, which becomes the GUI thread,
  // until the window is closed by the system or the logic thread ends.
  // 0 after a run, 1 when the controller could not be created. Call once.
  int Exec();

  GUIContext& Gui() { return *gui_; }

 private:
  bool wait_events_;
  std::unique_ptr<GUIContext> gui_;
  ControllerFactory factory_;
};

}  // namespace kovo::desktop::ui::imgui
