// The start of the installed plugin's service and program after a successful
// installation, and the check that both run.
#include <kovo-ui-imgui/logger/logger.h>

#include <chrono>
#include <string>
#include <thread>

#include "installer/controller/installer_engine.h"
#include "installer/error_catalogue.h"
#include "installer/installed_product.h"
#include "installer/page_events.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

constexpr std::chrono::milliseconds kStartPause{2000};

const wchar_t kServiceControlProgram[] = L"sc.exe";
const wchar_t kServiceStartParameters[] = L"start KOVO3Plugin";
const wchar_t kPluginParameters[] = L"--wait";

// A launch's own result does not count: only the checks after the pause
// decide. An empty program (no system folder) is not launched at all rather
// than by bare name.
void LaunchWithoutWaiting(const std::wstring& program, const wchar_t* parameters) {
  if (program.empty()) {
    LOG_DEBUG("Run: no program path for " << ToNarrow(parameters));
    return;
  }
  try {
    const std::uint32_t error = Services().RunProcess(program, parameters, nullptr, false);
    if (error != 0)
      LOG_DEBUG("Run: " << ToNarrow(program) << " not started, system error " << error);
  } catch (...) {
    LOG_DEBUG("Run: " << ToNarrow(program) << " not started");
  }
}

// The install folder is a Windows path whatever the host the engine runs on.
std::wstring PluginProgram(const std::string& installPath) {
  std::wstring folder = ToWide(installPath);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return QuotedProgram(folder + L"\\" + kPluginProgramName);
}

}  // namespace

void InstallerEngine::StartPlugin(const kovo::desktop::ui::imgui::EventQueuer& queuer) {
  auto access = model_.Access();
  PageData& data = *access;
  data.runRequested = true;

  // serviceRunning and pluginRunning stay as the probe found them.
  if (!data.serviceRunning) {
    LaunchWithoutWaiting(SystemProgram(Services(), kServiceControlProgram),
                         kServiceStartParameters);
  }
  if (!data.pluginRunning) LaunchWithoutWaiting(PluginProgram(data.installPath), kPluginParameters);

  if (sleep_) {
    sleep_(kStartPause);
  } else {
    std::this_thread::sleep_for(kStartPause);
  }

  const bool service = Services().IsServiceRunning();
  const bool plugin = Services().IsPluginRunning();
  if (service && plugin) {
    // On the success page the close ends the program without a question.
    queuer.Emit<Events::InstallPageView::CloseButtonClickedEvent>();
    return;
  }
  data.stage = PageStage::Failure;
  if (!service) {
    data.errorKind = kServiceNotStarted;
    LOG_DEBUG("Run service: fail");
  }
  if (!plugin) {
    data.errorKind = kPluginNotStarted;
    LOG_DEBUG("Run plugin: fail");
    if (!service) data.errorKind = kNeitherStarted;
  }
}

}  // namespace kovo::plugin::web::installer
