// Events the framework itself defines.
#pragma once

namespace kovo::desktop::ui::imgui::Events::System {

// The application is to end; the logic thread stops at its next step.
struct Exit {};

// Something a view shows has changed; in waiting mode this wakes the GUI loop.
struct RedrawUiEvent {};

}  // namespace kovo::desktop::ui::imgui::Events::System
