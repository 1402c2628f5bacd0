// The page state together with the queue through which views emit events.
// Writers reach the state through a ModelAccess, whose release asks the UI to
// redraw.
#pragma once

#include <kovo-ui-imgui/events/event_queuer.h>

#include "installer/page_data.h"

namespace kovo::plugin::web::installer {

// Yields the PageData; releasing it (destruction or Release) dispatches
// exactly one RedrawUiEvent, on the releasing thread. Takes no lock: the
// application mutex or the atomics of PageData make the access safe.
class ModelAccess {
 public:
  ModelAccess(PageData& data, desktop::ui::imgui::EventSystem& events);
  ModelAccess(ModelAccess&& other) noexcept;
  ModelAccess& operator=(ModelAccess&&) = delete;
  ModelAccess(const ModelAccess&) = delete;
  ModelAccess& operator=(const ModelAccess&) = delete;
  ~ModelAccess();

  PageData& operator*() const { return *data_; }
  PageData* operator->() const { return data_; }

  void Release();

 private:
  PageData* data_;
  desktop::ui::imgui::EventSystem* events_;
};

class PageModel {
 public:
  explicit PageModel(desktop::ui::imgui::EventQueuer queuer)
      : queuer_(queuer), redraw_(&queuer.Events()) {}
  // Releases ask for the redraw on `redraw` rather than on the queuer's event
  // system: one that outlives every holder of an access (a detached worker).
  PageModel(desktop::ui::imgui::EventQueuer queuer, desktop::ui::imgui::EventSystem& redraw)
      : queuer_(queuer), redraw_(&redraw) {}
  PageModel(const PageModel&) = delete;
  PageModel& operator=(const PageModel&) = delete;

  ModelAccess Access() { return ModelAccess(data_, *redraw_); }

  // For views, which read the state every frame and must not ask for redraws.
  const PageData& Data() const { return data_; }

  const desktop::ui::imgui::EventQueuer& Queuer() const { return queuer_; }

 private:
  PageData data_;
  desktop::ui::imgui::EventQueuer queuer_;
  desktop::ui::imgui::EventSystem* redraw_;
};

}  // namespace kovo::plugin::web::installer
