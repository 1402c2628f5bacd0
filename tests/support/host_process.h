// Starting host (Linux) programs from a test, natively or from under Wine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kovo::testing {

// A folder this program and host programs both reach: under Wine a host
// folder seen through the Z: drive. Removed with its content when the object goes.
class HostSharedFolder {
 public:
  HostSharedFolder();
  ~HostSharedFolder();
  HostSharedFolder(const HostSharedFolder&) = delete;
  HostSharedFolder& operator=(const HostSharedFolder&) = delete;
  const std::string& HostPath() const { return hostPath_; }        // for host programs
  const std::filesystem::path& LocalPath() const { return localPath_; }  // for this program

 private:
  std::string hostPath_;
  std::filesystem::path localPath_;
};

// Starts arguments[0] (an absolute host path) with the rest as arguments,
// without waiting. Returns a platform's token for StopHostProgram.
long long StartHostProgram(const std::vector<std::string>& arguments);

// Reaps a program that was asked to end (natively: waits for it a few
// seconds, then kills it). Under Wine a host program is not ours to wait for.
void StopHostProgram(long long token);

}  // namespace kovo::testing
