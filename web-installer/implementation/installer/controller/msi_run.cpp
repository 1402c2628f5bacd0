#include <kovo-ui-imgui/logger/logger.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "installer/controller/installer_engine.h"
#include "installer/controller/working_files.h"
#include "installer/error_catalogue.h"
#include "installer/format_string.h"
#include "installer/program_options.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

// ============================================================================
// Command lines
// ============================================================================

// Literals rather than constants so that the compiler checks every format
// against its arguments. A false flag is a single blank, so that the property
// is set but empty: the package tests its flags for "not empty".
#define KOVO_REMOVAL_TEMPLATE "/x%s /qn /l*v \"%s\\msi_uninstall.log\""
#define KOVO_INSTALL_TEMPLATE                                                           \
  "/i \"%s\" INSTALLLOCATION=\"%s\" CREATE_LINK_ONLINE=%s APP_AUTORUN=%s APP_AUTORUN_TYPE=%d " \
  "%s /qn /l*v \"%s\\msi_install.log\""
#define KOVO_FEATURE_LIST_TEMPLATE "ADDLOCAL=BaseFeature,Basiccomponents%s"

const wchar_t kMsiexec[] = L"msiexec.exe";

// What the runs need of the page state, read once: the runs take minutes.
// Only read, so no redraw is asked for.
struct InstallRequest {
  bool reinstall = false;
  std::string productCode;
  std::string installPath;
  InstallTypes installType = InstallTypes::Recommended;
  std::vector<std::string> components;
  bool autoRun = true;
  AutoRunTypes autoRunType = AutoRunTypes::CurrentUser;
  bool desktopShortcut = true;
};

InstallRequest ReadInstallRequest(const PageData& page) {
  InstallRequest request;
  request.reinstall = page.reinstall;
  request.productCode = page.productCode;
  request.installPath = page.installPath;
  request.installType = page.installType;
  request.components = page.components;
  request.autoRun = page.autoRun;
  request.autoRunType = page.autoRunType;
  request.desktopShortcut = page.desktopShortcut;
  return request;
}

// Recommended and Min leave the feature levels to the package.
std::string ExtraProperties(const InstallRequest& request) {
  if (request.installType == InstallTypes::Full) return "INSTALLLEVEL=3";
  if (request.installType != InstallTypes::Custom) return std::string();
  std::string features;
  for (const auto& component : request.components) features += "," + component;
  return FormatString(KOVO_FEATURE_LIST_TEMPLATE, features.c_str());
}

const char* Flag(bool value) { return value ? "1" : " "; }

// The conversions replace what they cannot convert; a command line built from
// such a replacement would name another file or folder, so it is refused.
std::string ExactUtf8(const std::wstring& text) {
  std::string utf8 = ToUtf8(text);
  if (ToWide(utf8) != text) throw std::range_error("text is not valid Unicode");
  return utf8;
}

std::wstring ExactWide(const std::string& utf8) {
  std::wstring text = ToWide(utf8);
  if (ToUtf8(text) != utf8) throw std::range_error("text is not valid UTF-8");
  return text;
}

std::string RemovalParameters(const InstallRequest& request, const std::wstring& workingFolder) {
  return FormatString(KOVO_REMOVAL_TEMPLATE, request.productCode.c_str(), ExactUtf8(workingFolder).c_str());
}

std::string InstallParameters(const InstallRequest& request, const std::wstring& packageFile,
                              const std::wstring& workingFolder) {
  return FormatString(KOVO_INSTALL_TEMPLATE, ExactUtf8(packageFile).c_str(), request.installPath.c_str(),
                      Flag(request.desktopShortcut), Flag(request.autoRun),
                      static_cast<int>(request.autoRunType), ExtraProperties(request).c_str(),
                      ExactUtf8(workingFolder).c_str());
}

// ============================================================================
// Runs
// ============================================================================

// An earlier run's log must not be read as this run's: when msiexec cannot
// start, or ends before it writes its log, the analysis would explain this
// run's failure with the old log, and an old successful log with success.
void RemoveStaleLog(const std::wstring& logFile) {
  std::error_code error;
  std::filesystem::remove(std::filesystem::path(logFile), error);
  if (error) LOG_WARN("Old log " << ToNarrow(logFile) << " not removed: " << error.message());
}

// True when msiexec ran to its end; exitCode then holds its exit code. It is
// started by its full path in the system folder: the search order of a bare
// name begins in the installer's own folder.
bool RunMsiexec(const std::string& parameters, const std::wstring& logFile,
                std::uint32_t& exitCode) {
  const std::wstring program = SystemProgram(Services(), kMsiexec);
  const std::wstring wideParameters = ExactWide(parameters);
  RemoveStaleLog(logFile);
  if (program.empty()) {
    LOG_ERROR("msiexec not started: the system folder is unknown");
    return false;
  }
  return Services().RunProcess(program, wideParameters, &exitCode, true) == 0;
}

// kResultOk when the removal ran, whatever it achieved: the install follows anyway.
Result RunRemoval(const InstallRequest& request, const std::wstring& workingFolder, std::uint32_t& exitCode) {
  try {
    const std::string parameters = RemovalParameters(request, workingFolder);
    LOG_DEBUG("MSI uninstall params:" << parameters);
    const std::wstring logFile = WorkingFile(workingFolder, kRemovalLogFileName);
    return RunMsiexec(parameters, logFile, exitCode) ? kResultOk : kResultFail;
  } catch (...) {
    LOG_DEBUG("Can't uninstall plugin");
    return kRemovalNotPrepared;
  }
}

Result RunInstall(const InstallRequest& request, const std::wstring& packageFile,
                  const std::wstring& workingFolder, std::uint32_t& exitCode) {
  try {
    const std::string parameters = InstallParameters(request, packageFile, workingFolder);
    LOG_DEBUG("MSI install params: " << parameters);
    const std::wstring logFile = WorkingFile(workingFolder, kInstallLogFileName);
    return RunMsiexec(parameters, logFile, exitCode) ? kResultOk : kResultFail;
  } catch (...) {
    LOG_DEBUG("Can't install plugin");
    return kInstallNotPrepared;
  }
}

}  // namespace

Result InstallerEngine::RemoveAndInstall() {
  if (!ProgramOptions::Instance().InstallPackage()) return kResultFail;
  const InstallRequest request = ReadInstallRequest(model_.Data());
  const std::wstring packageFile = PackageFile(workingFolder_);
  // Nothing to install is a failure, not a success: the package may have been
  // taken away after its download (by a virus scanner, say). The install could
  // not be prepared, and that result is a failure kind of its own, so no stale
  // log of an earlier run gets a say.
  if (!Services().FileExists(packageFile)) {
    LOG_DEBUG("MSI package is missing");
    LOG_DEBUG("Can't install plugin");
    return kInstallNotPrepared;
  }
  std::uint32_t exitCode = 0;
  if (request.reinstall && !request.productCode.empty()) {
    if (const Result removal = RunRemoval(request, workingFolder_, exitCode); removal != kResultOk) return removal;
  }
  if (const Result install = RunInstall(request, packageFile, workingFolder_, exitCode); install != kResultOk) {
    return install;
  }
  LOG_DEBUG("MSI exit code: " << static_cast<std::int32_t>(exitCode));
  return static_cast<Result>(exitCode);
}

}  // namespace kovo::plugin::web::installer
