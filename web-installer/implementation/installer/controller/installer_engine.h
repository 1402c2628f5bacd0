// What the installer does to the computer and with the outside world, as
// operations on the installer page's state. The page controller owns one
// engine; each operation's implementation lives in its own file beside this.
#pragma once

#include <kovo-ui-imgui/events/event_queuer.h>
#include <kovo_settings.h>

#include <chrono>
#include <functional>
#include <string>

#include "installer/outside_components.h"
#include "installer/page_model.h"
#include "installer/results.h"

namespace kovo::plugin::web::installer {

struct UpdateServer {
  std::string host = settings::kUpdateHost;
  int port = settings::kUpdatePort;
  // Tests shorten them; the shipped values and why are in outside_components.h.
  DownloadLimits versionCheckLimits = kVersionCheckLimits;
  DownloadLimits packageLimits = kPackageDownloadLimits;
};

class InstallerEngine {
 public:
  // workingFolder: "%TMP%" expanded followed by "\KovoPlugin.Installer".
  InstallerEngine(PageModel& model, std::wstring workingFolder);

  // Checks the computer and decides whether to install (environment_probe.cpp).
  Result EnvironmentProbe();

  // Downloads a server path of the update server into a local file
  // (download.cpp): the version file within the version check's limits,
  // anything else within the package download's.
  Result DownloadToFile(const std::string& serverPath, const std::wstring& localPath);
  // The same for a narrow path of the user's code page (FromNarrow names the file).
  Result DownloadToFile(const std::string& serverPath, const std::string& localPath);
  // The package of the chosen install type into the working folder (download.cpp).
  Result DownloadInstallPackage();

  // Checks the downloaded package's signature against the configured publisher
  // before any msiexec run (package_publisher.cpp). kResultOk when no publisher
  // is configured or the package is its; else the package is deleted and the
  // result is kPackageDamaged (1620), which the worker maps as msiexec's own 1620.
  Result VerifyPackagePublisher();

  // Removes an installed copy when asked and installs the package (msi_run.cpp).
  Result RemoveAndInstall();

  // Explains a failed installation from the Windows Installer log (msi_log_analysis.cpp).
  std::int32_t AnalyzeMsiLog();

  // Starts the plugin's service and program where the probe found them not
  // running (by full, quoted paths), gives them two seconds, then checks both
  // (start_plugin.cpp). Logic thread, as the handler of RunPluginEvent; holds
  // the page access for its whole length, pause included. Both running:
  // CloseButtonClickedEvent is emitted through the queuer. Otherwise the page
  // goes to Failure with kServiceNotStarted, kPluginNotStarted or
  // kNeitherStarted. A launch that fails is only logged: the checks decide.
  void StartPlugin(const kovo::desktop::ui::imgui::EventQueuer& queuer);

  // The pause StartPlugin makes between the launches and the checks; tests
  // put one in that does not sleep.
  using SleepFunction = std::function<void(std::chrono::milliseconds)>;
  void SetSleepFunction(SleepFunction sleep) { sleep_ = std::move(sleep); }

  const std::wstring& WorkingFolder() const { return workingFolder_; }
  PageModel& Model() { return model_; }

  // Tests point the engine at a server of their own.
  void SetUpdateServer(UpdateServer server) { updateServer_ = std::move(server); }
  const UpdateServer& GetUpdateServer() const { return updateServer_; }
  // Tests choose the publisher; empty turns the check off.
  void SetPackageSigner(std::string signer) { packageSigner_ = std::move(signer); }

 private:
  PageModel& model_;
  std::wstring workingFolder_;
  UpdateServer updateServer_;
  std::string packageSigner_ = settings::kPackageSigner;
  SleepFunction sleep_;
};

}  // namespace kovo::plugin::web::installer
