// The local update server (scripts/update-server.sh) as a test sees it: a
// real HTTP server on a free port of 127.0.0.1, started when the object is
// made and stopped by its process id when the object goes. Works natively
// and under Wine (where the server still runs as a host program).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kovo::testing {

class UpdateServerProcess {
 public:
  struct Options {
    // Host form of the build folder to serve from; empty: this test's build.
    std::string buildFolder;
    // Served as version.txt instead of the build's file.
    std::optional<std::string> versionText;
    // The port to listen on; 0 picks a free one.
    int port = 0;
  };

  // Throws std::runtime_error when the server does not come up.
  explicit UpdateServerProcess(const Options& options);
  UpdateServerProcess() : UpdateServerProcess(Options{}) {}
  ~UpdateServerProcess();
  UpdateServerProcess(const UpdateServerProcess&) = delete;
  UpdateServerProcess& operator=(const UpdateServerProcess&) = delete;

  int Port() const { return port_; }
  // The server's output and request log.
  std::string Log() const;

 private:
  void Stop();

  std::filesystem::path folder_;  // this process's view of the exchange folder
  int port_ = 0;
  std::string processId_;
};

// ---------------------------------------------------------------------------
// Host paths and programs (platform files)
// ---------------------------------------------------------------------------
namespace update_server_detail {

// Source and build folders in host form, from the test's environment.
std::string HostSourceFolder();
std::string HostBuildFolder();
// A folder both this process and host programs reach: this process's path
// and the same folder in host form.
std::pair<std::filesystem::path, std::string> ExchangeFolder(const std::string& name);
// Starts a host program without waiting; false when it could not start.
bool StartHostProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace update_server_detail

}  // namespace kovo::testing
