#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "stand-in/update_server_process.h"
#include "support/test_support.h"

extern char** environ;

namespace kovo::testing::update_server_detail {

namespace {
// The folders this test was built from, for runs outside ctest.
std::string EnvironmentOr(const char* name, const char* builtIn) {
  const char* value = std::getenv(name);
  return value && *value ? value : builtIn;
}
}  // namespace

std::string HostSourceFolder() { return EnvironmentOr("KOVO_SOURCE_DIR", KOVO_TEST_HOST_SOURCE_DIR); }
std::string HostBuildFolder() { return EnvironmentOr("KOVO_BUILD_DIR", KOVO_TEST_HOST_BUILD_DIR); }

std::pair<std::filesystem::path, std::string> ExchangeFolder(const std::string& name) {
  const auto folder = ArtifactsDir() / name;
  std::filesystem::create_directories(folder);
  return {folder, folder.string()};
}

bool StartHostProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> pointers;
  for (auto& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, pointers.data(), environ) != 0) return false;
  // The server runs on after this call; a reaper thread keeps it from
  // lingering as a zombie once it ends.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

}  // namespace kovo::testing::update_server_detail
