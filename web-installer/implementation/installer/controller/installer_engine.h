// What the installer does to the computer and with the outside world, as
// operations on the installer page's state. The page controller owns one
// engine; each operation's implementation lives in its own file beside this.
#pragma once

#include <kovo_settings.h>

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
  Result DownloadToFile(const std::string& serverPath, const std::string& localPath);
  // The package of the chosen install type into the working folder (download.cpp).
  Result DownloadInstallPackage();

  // Removes an installed copy when asked and installs the package (msi_run.cpp).
  Result RemoveAndInstall();

  // Explains a failed installation from the Windows Installer log (msi_log_analysis.cpp).
  std::int32_t AnalyzeMsiLog();

  const std::wstring& WorkingFolder() const { return workingFolder_; }
  PageModel& Model() { return model_; }

  // Tests point the engine at a server of their own.
  void SetUpdateServer(UpdateServer server) { updateServer_ = std::move(server); }
  const UpdateServer& GetUpdateServer() const { return updateServer_; }

 private:
  PageModel& model_;
  std::wstring workingFolder_;
  UpdateServer updateServer_;
};

}  // namespace kovo::plugin::web::installer
