// A helper of the Windows tests. Its first argument says what it is:
//   service <name>            a Windows service that runs until it is stopped
//   wait <started> <stop>     creates <started>, lives until <stop> exists (at most 120 s)
//   touch <file>              creates <file> and exits
//   exit <code>               exits with that code
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;
std::wstring serviceName;

void ReportState(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    ReportState(SERVICE_STOP_PENDING);
    SetEvent(stopEvent);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  statusHandle = RegisterServiceCtrlHandlerExW(serviceName.c_str(), ControlHandler, nullptr);
  if (!statusHandle) return;
  stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ReportState(SERVICE_RUNNING);
  WaitForSingleObject(stopEvent, INFINITE);
  ReportState(SERVICE_STOPPED);
}

int RunService(const wchar_t* name) {
  serviceName = name;
  SERVICE_TABLE_ENTRYW table[] = {{serviceName.data(), ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

bool Touch(const wchar_t* path) {
  const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

int WaitForStopFile(const wchar_t* started, const wchar_t* stop) {
  if (!Touch(started)) return 2;
  for (int i = 0; i < 2400 && !Exists(stop); ++i) Sleep(50);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"service" && argc > 2) return RunService(argv[2]);
  if (mode == L"wait" && argc > 3) return WaitForStopFile(argv[2], argv[3]);
  if (mode == L"touch" && argc > 2) return Touch(argv[2]) ? 0 : 2;
  if (mode == L"exit" && argc > 2) return static_cast<int>(std::wcstoul(argv[2], nullptr, 10));
  return 64;
}
