// D3DCompile, resolved at run time from d3dcompiler_47.dll in the system
// folder. Windows 7 has that library only after an update: a program that
// imported it statically would not start at all there, and one that loaded
// it through a delay-load stub would end with an unhandled exception at the
// first call. Here a missing library makes the call fail like any other
// compile error, and the renderer's set-up reports it.
//
// Thread contract: the library is looked up once (thread-safe static
// initialisation) and never unloaded.
#include <d3dcompiler.h>
#include <windows.h>

#include <string>

namespace {

pD3DCompile ResolveCompile() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\d3dcompiler_47.dll";
  // A full path, and its own dependencies looked up beside it.
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return nullptr;
  return reinterpret_cast<pD3DCompile>(
      reinterpret_cast<void*>(GetProcAddress(library, "D3DCompile")));
}

pD3DCompile Compile() {
  static const pD3DCompile compile = ResolveCompile();
  return compile;
}

}  // namespace

HRESULT WINAPI D3DCompile(const void* data, SIZE_T data_size, const char* filename,
                          const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                          const char* entrypoint, const char* target, UINT sflags, UINT eflags,
                          ID3DBlob** shader, ID3DBlob** error_messages) {
  const pD3DCompile compile = Compile();
  if (!compile) {
    if (shader) *shader = nullptr;
    if (error_messages) *error_messages = nullptr;
    return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  }
  return compile(data, data_size, filename, defines, include, entrypoint, target, sflags, eflags,
                 shader, error_messages);
}
