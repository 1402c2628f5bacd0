#include "stand-in/update_server_process.h"

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>

#include "support/test_support.h"

namespace kovo::testing {

using namespace update_server_detail;

namespace {

// The server ends on its own after this long, should a test die before it
// could stop it.
constexpr char kLifetimeSeconds[] = "1800";

std::string UniqueName() {
  static std::atomic<unsigned> counter{0};
  return "update-server-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

UpdateServerProcess::UpdateServerProcess(const Options& options) {
  const auto [folder, hostFolder] = ExchangeFolder(UniqueName());
  folder_ = folder;
  std::vector<std::string> arguments = {
      HostSourceFolder() + "/scripts/update-server.sh",
      std::to_string(options.port),
      "--root",
      options.buildFolder.empty() ? HostBuildFolder() : options.buildFolder,
      "--port-file",
      hostFolder + "/port",
      "--pid-file",
      hostFolder + "/pid",
      "--log",
      hostFolder + "/server.log",
      "--lifetime",
      kLifetimeSeconds,
  };
  if (options.versionText) {
    arguments.push_back("--version");
    arguments.push_back(*options.versionText);
  }
  if (!StartHostProgram("/usr/bin/bash", arguments)) throw std::runtime_error("cannot start /usr/bin/bash");
  // The server writes the port file once it listens, or says why it ends.
  const auto listening = [&] { return std::filesystem::exists(folder_ / "port"); };
  WaitUntil([&] { return listening() || Log().find("update-server: ") != std::string::npos; },
            std::chrono::seconds(30));
  if (!listening()) throw std::runtime_error("the update server did not come up:\n" + Log());
  port_ = std::stoi(ReadFile(folder_ / "port"));
  processId_ = Trimmed(ReadFile(folder_ / "pid"));
}

UpdateServerProcess::~UpdateServerProcess() { Stop(); }

void UpdateServerProcess::Stop() {
  if (processId_.empty()) return;
  StartHostProgram("/bin/kill", {processId_});
  WaitUntil([&] { return Log().find("update server: stopped") != std::string::npos; },
            std::chrono::seconds(10));
}

std::string UpdateServerProcess::Log() const { return ReadFile(folder_ / "server.log"); }

}  // namespace kovo::testing
