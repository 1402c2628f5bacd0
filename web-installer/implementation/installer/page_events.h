// What the installer page's views report. All are emitted through
// EventQueuer::Emit and reach the page controller on the logic thread.
#pragma once

#include <string>
#include <vector>

#include "installer/page_data.h"

namespace kovo::plugin::web::installer::Events {

namespace InstallPageView {

struct CloseButtonClickedEvent {};

template <bool Yes>
struct CloseDecision {};

struct CancelClickedEvent {};

template <bool Yes>
struct CancelDecision {};

struct ChoicePathEvent {
  std::string path;
};

// The install configuration chosen on the options page.
struct StartClickedEvent {
  std::string path;
  InstallTypes installType = InstallTypes::Recommended;
  std::vector<std::string> components;
  bool autoRun = true;
  AutoRunTypes autoRunType = AutoRunTypes::CurrentUser;
  bool desktopShortcut = true;
};

struct OpenDiagnosticEvent {};
struct OpenHelpEvent {};
struct OpenVideoEvent {};
struct InstallNewConfigEvent {};
struct RunPluginEvent {};

}  // namespace InstallPageView

namespace UIEvents {
// The installer's request to end the program.
struct ShouldQuit {};
}  // namespace UIEvents

}  // namespace kovo::plugin::web::installer::Events
