// Loads dwmapi.dll by name, as a delay-load stub does, with or without the
// program's DLL search restriction first ("restricted" / "plain"). A test
// runs it from a folder where a marking dwmapi.dll has been planted.
#include <windows.h>

#include <string>

#include "main/safe_dll_search_win32.h"

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wstring(argv[1]) == L"restricted") {
    kovo::plugin::web::installer::RestrictDllSearchToSystemFolder();
  }
  return LoadLibraryW(L"dwmapi.dll") ? 0 : 1;
}
