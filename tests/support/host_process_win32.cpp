// Under Wine, CreateProcessW runs a host program given by its absolute host
// path natively; the host's file system is the Z: drive.
#include <windows.h>

#include <atomic>
#include <random>
#include <stdexcept>

#include "installer/text_conversion.h"
#include "support/host_process.h"

namespace kovo::testing {

namespace {

std::wstring QuotedArgument(const std::string& argument) {
  const std::wstring wide = plugin::web::installer::ToWide(argument);
  if (wide.find_first_of(L" \t\"") == std::wstring::npos) return wide;
  return L"\"" + wide + L"\"";
}

}  // namespace

long long StartHostProgram(const std::vector<std::string>& arguments) {
  std::wstring commandLine;
  for (const auto& argument : arguments) commandLine += (commandLine.empty() ? L"" : L" ") + QuotedArgument(argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    throw std::runtime_error("cannot start " + arguments[0] + ": error " + std::to_string(GetLastError()));
  }
  CloseHandle(started.hThread);
  return reinterpret_cast<long long>(started.hProcess);
}

void StopHostProgram(long long token) {
  const auto process = reinterpret_cast<HANDLE>(token);
  if (!process) return;
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

HostSharedFolder::HostSharedFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const std::string name =
      "kovo-host-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(random()) + "-" +
      std::to_string(counter++);
  hostPath_ = "/tmp/" + name;
  localPath_ = std::filesystem::path(L"Z:\\tmp") / plugin::web::installer::ToWide(name);
  std::filesystem::create_directories(localPath_);
}

HostSharedFolder::~HostSharedFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(localPath_, ignored);
}

}  // namespace kovo::testing
