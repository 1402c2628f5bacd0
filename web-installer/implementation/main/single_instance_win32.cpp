#include "main/single_instance_win32.h"

#include <windows.h>

namespace kovo::plugin::web::installer {

bool IsAnotherInstanceRunning(const std::wstring& mutexName, const std::wstring& windowTitle) {
  // Never closed: the mutex marks this process as the running copy until it ends.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName.c_str());
  if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) return false;

  // The mutex exists (or could not be made): a running copy counts only once
  // its window is up; until then this copy runs in full.
  HWND window = FindWindowW(nullptr, windowTitle.c_str());
  if (!window) return false;
  BringWindowToTop(window);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
  return true;
}

}  // namespace kovo::plugin::web::installer
