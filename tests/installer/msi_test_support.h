// Shared by the tests of the msiexec runs and of the install log analysis:
// an engine over a fresh page and working folder with a fake operating
// system in place, and Windows Installer logs written the way msiexec writes
// them (UTF-16 little-endian).
#pragma once

#include <kovo-ui-imgui/events/event_system.h>
#include <kovo-ui-imgui/events/safe_queue.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "installer/controller/installer_engine.h"
#include "installer/program_options.h"
#include "installer/system_services.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"

namespace kovo::testing {

// Which operating system the engine of a rig talks to.
enum class RigSystem {
  Fake,  // FakeSystemServices, scriptable and recording
  Real,  // the platform's own services (Windows tests under Wine)
};

class EngineRig {
 public:
  explicit EngineRig(RigSystem system = RigSystem::Fake);

  plugin::web::installer::InstallerEngine& Engine() { return engine_; }
  // The page state lives in the model; the access only hands it out.
  plugin::web::installer::PageData& Page() { return *model_.Access(); }
  FakeSystemServices& System() { return system_; }
  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path File(const char* name) const { return folder_ / name; }

 private:
  desktop::ui::imgui::EventSystem events_;
  desktop::ui::imgui::SafeQueue queue_;
  plugin::web::installer::PageModel model_;
  TempFolder temp_;
  std::filesystem::path folder_;
  FakeSystemServices system_;
  std::optional<plugin::web::installer::ScopedSystemServices> scopedSystem_;
  plugin::web::installer::InstallerEngine engine_;
};

// Puts every program option back on when the test ends, whatever it changed.
class ProgramOptionsRestorer {
 public:
  ~ProgramOptionsRestorer();
};

// UTF-8 text as UTF-16 little-endian bytes.
std::string Utf16Le(const std::string& utf8);

// A log as msiexec writes it: CR LF after every line, optionally a byte-order mark first.
void WriteInstallerLog(const std::filesystem::path& file, const std::vector<std::string>& lines,
                       bool byteOrderMark = false);

// "Действие завершено 12:34:56: <action>. Код возврата <value>."
std::string ActionEnded(const std::string& action, const std::string& value);

// An ordinary line of a verbose log that names no error.
std::string PlainLine(int number);

}  // namespace kovo::testing
