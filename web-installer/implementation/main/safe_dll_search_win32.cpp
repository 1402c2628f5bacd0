#include "main/safe_dll_search_win32.h"

#include <windows.h>

#include <string>

namespace kovo::plugin::web::installer {

namespace {

// Imported through delay-load stubs (cmake/DelayLoad.cmake).
constexpr const wchar_t* kDelayLoadedSystemDlls[] = {L"d3d11.dll", L"dxgi.dll", L"dwmapi.dll"};

std::wstring SystemFolderFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\" + name;
}

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

void RestrictDllSearchToSystemFolder() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;

  SetDllDirectoryW(L"");
  for (const wchar_t* name : kDelayLoadedSystemDlls) {
    const std::wstring path = SystemFolderFile(name);
    if (!path.empty()) LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
}

bool ShaderCompilerAvailable() {
  const std::wstring path = SystemFolderFile(L"d3dcompiler_47.dll");
  if (path.empty()) return false;
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return false;
  const bool hasCompile = GetProcAddress(library, "D3DCompile") != nullptr;
  FreeLibrary(library);
  return hasCompile;
}

}  // namespace kovo::plugin::web::installer
