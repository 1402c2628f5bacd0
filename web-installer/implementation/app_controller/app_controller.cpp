#include "app_controller/app_controller.h"

#include <utility>

#include "installer/controller/installer_page_controller.h"
#include "installer/page_events.h"
#include "kovo-ui-imgui/events/system_events.h"
#include "kovo-ui-imgui/logger/logger.h"

namespace kovo::plugin::web::installer {

namespace ui = desktop::ui::imgui;

namespace {

AppController::PageControllerFactory InstallerPage() {
  return [](AppController::AppContext& context) -> AppController::ControllerSlot {
    return std::make_unique<InstallerPageController>(context);
  };
}

}  // namespace

AppController::AppController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui)
    : AppController(events, queue, gui, InstallerPage()) {}

AppController::AppController(ui::EventSystem& events, ui::SafeQueue& queue, ui::GUIContext& gui,
                             PageControllerFactory makePageController)
    : makePageController_(std::move(makePageController)),
      context_{events, queue, gui},
      connections_(events) {
  connections_.Add(events.Forward<Events::UIEvents::ShouldQuit, ui::Events::System::Exit>());
  controllers_.push_back(std::ref(pageController_));
  InitInstallerPage();
}

AppController::~AppController() = default;

void AppController::InitInstallerPage() {
  context_.queue.Emplace([this] {
    LOG_DEBUG("Setting Application to Initial state");
    if (!pageController_ && makePageController_) pageController_ = makePageController_(context_);
  });
}

void AppController::CloseApplication() {
  context_.queue.Emplace([this] {
    LOG_DEBUG("Closing Application");
    controllers_.clear();
  });
}

bool AppController::Update() {
  bool any = false;
  for (ControllerSlot& slot : controllers_) {
    if (!slot) continue;
    any = true;
    slot->Update();
  }
  return any;
}

void AppController::Draw() {
  for (ControllerSlot& slot : controllers_) {
    if (slot) slot->Draw();
  }
}

}  // namespace kovo::plugin::web::installer
