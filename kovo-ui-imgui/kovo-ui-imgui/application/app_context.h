// The three references a controller receives when the application builds it;
// controllers hand them on to the controllers and views they create.
#pragma once

#include "kovo-ui-imgui/events/event_system.h"
#include "kovo-ui-imgui/events/safe_queue.h"

namespace kovo::desktop::ui::imgui {

class GUIContext;

struct AppContext {
  EventSystem& events;
  SafeQueue& queue;
  GUIContext& gui;
};

}  // namespace kovo::desktop::ui::imgui
