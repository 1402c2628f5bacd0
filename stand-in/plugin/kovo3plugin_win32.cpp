// The stand-in plugin program. It does only what the installer relies on:
// started by the Service Control Manager it is the service "KOVO3Plugin" and
// reports running until it is stopped; started with "--wait" it stays alive
// until it is ended, so that a process named kovo3plugin.exe can be found.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string_view>

namespace {

constexpr wchar_t kServiceName[] = L"KOVO3Plugin";
constexpr std::wstring_view kWaitSwitch = L"--wait";

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct LocalFreer {
  void operator()(LPWSTR* block) const { LocalFree(block); }
};

// ServiceMain and the control handler receive no context of ours from the
// system, so the service's state lives here for the one service of the process.
struct ServiceState {
  SERVICE_STATUS_HANDLE statusHandle = nullptr;
  UniqueHandle stopRequested;
  DWORD checkPoint = 0;
};
ServiceState g_service;

void ReportState(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwWin32ExitCode = NO_ERROR;
  const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
  status.dwCheckPoint = pending ? ++g_service.checkPoint : 0;
  status.dwWaitHint = pending ? 3000 : 0;
  SetServiceStatus(g_service.statusHandle, &status);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      ReportState(SERVICE_STOP_PENDING);
      SetEvent(g_service.stopRequested.get());
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
  g_service.statusHandle = RegisterServiceCtrlHandlerExW(kServiceName, ControlHandler, nullptr);
  if (!g_service.statusHandle) return;
  ReportState(SERVICE_START_PENDING);
  g_service.stopRequested.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!g_service.stopRequested) {
    ReportState(SERVICE_STOPPED);
    return;
  }
  ReportState(SERVICE_RUNNING);
  WaitForSingleObject(g_service.stopRequested.get(), INFINITE);
  ReportState(SERVICE_STOPPED);
}

int RunAsService() {
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<LPWSTR>(kServiceName), ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherW(table)) return static_cast<int>(GetLastError());
  return 0;
}

[[noreturn]] void WaitUntilEnded() {
  for (;;) Sleep(INFINITE);
}

bool HasWaitSwitch() {
  int count = 0;
  std::unique_ptr<LPWSTR, LocalFreer> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  return arguments && count == 2 && kWaitSwitch == arguments.get()[1];
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  if (HasWaitSwitch()) WaitUntilEnded();
  return RunAsService();
}
