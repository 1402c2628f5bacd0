#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/host_process.h"
#include "support/test_support.h"

extern char** environ;

namespace kovo::testing {

long long StartHostProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + arguments[0]);
  }
  return pid;
}

void StopHostProgram(long long token) {
  const auto pid = static_cast<pid_t>(token);
  if (pid <= 0) return;
  const bool ended = WaitUntil([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, std::chrono::seconds(5));
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

HostSharedFolder::HostSharedFolder() {
  char name[] = "/tmp/kovo-host-XXXXXX";
  if (!mkdtemp(name)) throw std::runtime_error("cannot create a folder under /tmp");
  hostPath_ = name;
  localPath_ = hostPath_;
}

HostSharedFolder::~HostSharedFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(localPath_, ignored);
}

}  // namespace kovo::testing
