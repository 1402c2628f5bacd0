// How an installation run ends: the page it leaves on, the error kind the
// failure page explains, and the result the install history records. The
// installation worker asks here after the download and after the msiexec
// runs; nothing else decides these.
//
// Threads: pure functions, called on the installation worker.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "installer/error_catalogue.h"
#include "installer/page_data.h"
#include "installer/results.h"

namespace kovo::plugin::web::installer {

// msiexec exit codes that report a successful installation which needs (or
// has started) a restart of the computer.
inline constexpr Result kExitSuccessRebootInitiated = 1641;
inline constexpr Result kExitSuccessRebootRequired = 3010;

struct InstallOutcome {
  PageStage stage = PageStage::Success;
  ErrorKind errorKind = kNoError;
  // The install history's result: "OK" or "ERROR: " and the kind; empty when
  // the run ended at the download and got no result.
  std::string historyResult;
};

// After DownloadInstallPackage. Empty when the download succeeded and the
// run goes on. proceed: PageData.proceed when the download returned; a
// cleared one means that the user confirmed a cancel, which returns to the
// options page without an error.
std::optional<InstallOutcome> OutcomeOfDownload(Result download, bool proceed);

// Explains a failed run from the install log; called at most once.
using InstallLogAnalysis = std::function<ErrorKind()>;

// After RemoveAndInstall, given its result. Exit codes that are kinds
// (ExitCodeKinds, then KindExitCodes) need no log; any other non-zero result
// is explained by the log analysis. A result that the log does not explain
// is a success only when it is one of msiexec's success codes (0 and the two
// restart codes above); any other is the plain installation failure, so that
// a run that installed nothing never shows the success page.
InstallOutcome OutcomeOfInstall(Result exitCode, const InstallLogAnalysis& analyseLog);

}  // namespace kovo::plugin::web::installer
