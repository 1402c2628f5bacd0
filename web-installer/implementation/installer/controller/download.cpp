// Downloads from the update server into local files. A file is written under
// a temporary name beside its target and moved over the target only after a
// complete, successful transfer: a cancel or a failure leaves no partial file
// and an older file at the target as it was. The body never sits in memory
// as a whole, whatever the package's size.
#include <kovo-ui-imgui/logger/logger.h>

#include "installer/controller/installer_engine.h"
#include "installer/controller/working_files.h"
#include "installer/helper.h"
#include "installer/install_type_table.h"
#include "installer/outside_components.h"
#include "installer/program_options.h"
#include "installer/staged_file.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

std::string Seconds(std::chrono::milliseconds duration) {
  const auto ms = duration.count();
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

std::string DescribeLimits(const DownloadLimits& limits) {
  return " (limits: connect " + Seconds(limits.connect) + ", read " + Seconds(limits.read) +
         ", total " +
         (limits.total > std::chrono::milliseconds::zero() ? Seconds(limits.total)
                                                           : std::string("none")) +
         ")";
}

// Which limit ended a failed download, for the log.
const char* EndedBy(TimeLimit limit) {
  switch (limit) {
    case TimeLimit::Connect:
      return ", ended by the connect limit";
    case TimeLimit::Read:
      return ", ended by the read limit";
    case TimeLimit::Total:
      return ", ended by the total limit";
    case TimeLimit::None:
      break;
  }
  return "";
}

}  // namespace

Result InstallerEngine::DownloadToFile(const std::string& serverPath, const std::string& localPath) {
  return DownloadToFile(serverPath, FromNarrow(localPath));
}

Result InstallerEngine::DownloadToFile(const std::string& serverPath,
                                       const std::wstring& localPath) {
  auto access = model_.Access();
  PageData& data = *access;
  data.proceed = true;
  const UpdateServer server = updateServer_;
  // The version check runs while the window is frozen and gets short limits.
  const bool versionCheck = serverPath == kVersionFileServerPath;
  const DownloadLimits& limits = versionCheck ? server.versionCheckLimits : server.packageLimits;
  LOG_INFO("Download of http://" << server.host << ":" << server.port << serverPath << " to "
                                 << ToNarrow(localPath) << DescribeLimits(limits));

  StagedFile file(localPath);
  if (!file.Open()) {
    LOG_ERROR("Download of " << serverPath << " failed: " << file.Error());
    return kResultFail;
  }
  const TransferOutcome outcome = Helper::DownloadFile(
      server.host, server.port, serverPath, &data.proceed, &data.progress,
      [&file](const char* block, std::size_t size) { return file.Write(block, size); }, limits);

  if (outcome.end == TransferEnd::Cancelled || !data.proceed) {
    file.Discard();
    LOG_INFO("Download of " << serverPath << " cancelled after " << outcome.bytes
                            << " bytes, ended by the cancel");
    return kResultAbort;
  }
  if (outcome.end == TransferEnd::Failed) {
    const std::string storeError = file.Error().empty() ? std::string() : " (" + file.Error() + ")";
    LOG_ERROR("Download of " << serverPath << " failed" << EndedBy(outcome.limit) << ": "
                             << outcome.failure << storeError << "; HTTP status " << outcome.status
                             << ", " << outcome.bytes << " bytes received");
    file.Discard();
    return kResultFail;
  }
  if (!file.Commit()) {
    LOG_ERROR("Download of " << serverPath << " failed: " << file.Error());
    return kResultFail;
  }
  LOG_INFO("Downloaded " << serverPath << ": HTTP status " << outcome.status << ", " << file.BytesWritten()
                         << " bytes");
  return kResultOk;
}

Result InstallerEngine::DownloadInstallPackage() {
  if (!ProgramOptions::Instance().DownloadPackage()) {
    LOG_INFO("Package download skipped by the command line");
    return kResultOk;
  }
  const std::wstring localPath = PackageFile(workingFolder_);
  auto access = model_.Access();
  const auto type = InstallTypeTable.find(access->installType);
  if (type == InstallTypeTable.end()) {
    LOG_ERROR("No package for install type " << static_cast<int>(access->installType));
    return kResultFail;
  }
  return DownloadToFile(type->second.packagePath, localPath);
}

}  // namespace kovo::plugin::web::installer
