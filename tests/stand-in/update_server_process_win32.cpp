#include <windows.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "stand-in/update_server_process.h"

namespace kovo::testing::update_server_detail {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) {
    throw std::runtime_error(std::string(name) + " is not set (run the test through ctest)");
  }
  return value;
}

// The folders this test was built from, for runs outside ctest.
std::string EnvironmentOr(const char* name, const char* builtIn) {
  const char* value = std::getenv(name);
  return value && *value ? value : builtIn;
}

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// Wine splits the command line of a host program by the Windows rules.
std::wstring Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return Wide(argument);
  std::wstring quoted = L"\"";
  for (wchar_t c : Wide(argument)) {
    if (c == L'"') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"\"";
}

}  // namespace

std::string HostSourceFolder() { return EnvironmentOr("KOVO_SOURCE_DIR_UNIX", KOVO_TEST_HOST_SOURCE_DIR); }
std::string HostBuildFolder() { return EnvironmentOr("KOVO_BUILD_DIR_UNIX", KOVO_TEST_HOST_BUILD_DIR); }

std::pair<std::filesystem::path, std::string> ExchangeFolder(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(Environment("KOVO_ARTIFACTS_DIR")) / name;
  std::filesystem::create_directories(folder);
  return {folder, Environment("KOVO_ARTIFACTS_DIR_UNIX") + "/" + name};
}

bool StartHostProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::wstring commandLine = Quoted(program);
  for (const auto& argument : arguments) commandLine += L" " + Quoted(argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  UniqueHandle thread(process.hThread);
  UniqueHandle processHandle(process.hProcess);
  return true;
}

}  // namespace kovo::testing::update_server_detail
