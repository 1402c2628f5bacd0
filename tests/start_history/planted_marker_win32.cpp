// A program planted where a search for another program would find it first
// (C:\Test.exe for "C:\Test Folder\...", msiexec.exe beside the caller). Each
// start appends its own path and command line to C:\kovo-planted-marker.txt
// and fails, so a test sees at once whether it ran.
#include <windows.h>

#include <string>

int wmain() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring line = std::wstring(self) + L" | " + GetCommandLineW() + L"\r\n";
  const HANDLE file = CreateFileW(L"C:\\kovo-planted-marker.txt", FILE_APPEND_DATA, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
  }
  return 1;
}
