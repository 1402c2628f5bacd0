#include "installer/page_model.h"

#include <kovo-ui-imgui/events/system_events.h>
#include <kovo-ui-imgui/logger/logger.h>

namespace kovo::plugin::web::installer {

namespace ui = desktop::ui::imgui;

ModelAccess::ModelAccess(PageData& data, ui::EventSystem& events) : data_(&data), events_(&events) {}

ModelAccess::ModelAccess(ModelAccess&& other) noexcept : data_(other.data_), events_(other.events_) {
  other.events_ = nullptr;
}

ModelAccess::~ModelAccess() { Release(); }

void ModelAccess::Release() {
  ui::EventSystem* events = events_;
  events_ = nullptr;
  if (!events) return;
  try {
    events->Dispatch(ui::Events::System::RedrawUiEvent{});
  } catch (const std::exception& error) {
    LOG_ERROR("Redraw request failed: " << error.what());
  } catch (...) {
    LOG_ERROR("Redraw request failed");
  }
}

}  // namespace kovo::plugin::web::installer
