/* A DLL planted beside the program under a system DLL's name: when any
 * process loads it, it appends its own path to C:\planted-dll-marker.txt.
 * It exports nothing, so a process that really used it would fail. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    HANDLE marker = CreateFileW(L"C:\\planted-dll-marker.txt", FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(marker, path, length * sizeof(wchar_t), &written, NULL);
      WriteFile(marker, L"\n", sizeof(wchar_t), &written, NULL);
      CloseHandle(marker);
    }
  }
  return TRUE;
}
