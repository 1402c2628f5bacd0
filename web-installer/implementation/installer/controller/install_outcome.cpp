#include "installer/controller/install_outcome.h"

namespace kovo::plugin::web::installer {

namespace {

InstallOutcome Failure(ErrorKind kind) {
  return InstallOutcome{PageStage::Failure, kind, "ERROR: " + std::to_string(kind)};
}

bool IsSuccessCode(Result exitCode) {
  return exitCode == kResultOk || exitCode == kExitSuccessRebootRequired ||
         exitCode == kExitSuccessRebootInitiated;
}

}  // namespace

std::optional<InstallOutcome> OutcomeOfDownload(Result download, bool proceed) {
  if (download == kResultOk) return std::nullopt;
  if (!proceed) return InstallOutcome{PageStage::Options, kNoError, std::string()};
  return InstallOutcome{PageStage::Failure, kDownloadFailed, std::string()};
}

InstallOutcome OutcomeOfInstall(Result exitCode, const InstallLogAnalysis& analyseLog) {
  ErrorKind kind = kNoError;
  if (const auto mapped = ExitCodeKinds.find(exitCode); mapped != ExitCodeKinds.end())
    kind = mapped->second;
  if (KindExitCodes.count(exitCode) != 0) kind = exitCode;
  if (exitCode != kResultOk && kind == kNoError) {
    kind = analyseLog ? analyseLog() : kInstallFailed;
    if (kind == kNoError && !IsSuccessCode(exitCode)) kind = kInstallFailed;
  }
  if (kind != kNoError) return Failure(kind);
  return InstallOutcome{PageStage::Success, kNoError, "OK"};
}

}  // namespace kovo::plugin::web::installer
