#include "installer/system_services_win32.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>
#include <filesystem>
#include <memory>
#include <system_error>

#include "installer/system_services_platform.h"

namespace kovo::plugin::web::installer {

namespace {

namespace fs = std::filesystem;

// ===========================================================================
// Owners of the handles the operations open

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Some calls report failure with INVALID_HANDLE_VALUE, others with null.
UniqueHandle OwnHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

struct ServiceHandleCloser {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

struct RegistryKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

struct HeapBlockFreer {
  void operator()(void* block) const { HeapFree(GetProcessHeap(), 0, block); }
};
using HeapBlock = std::unique_ptr<void, HeapBlockFreer>;

// ===========================================================================
// Helpers

constexpr std::size_t kInitialExpansionBuffer = 260;
constexpr DWORD kAccountNameBuffer = 257;
constexpr DWORD kRegistryStringBytes = 510;
// A key name has at most 255 characters; the buffer needs one more for the
// terminating zero, or the longest legal names would be skipped.
constexpr DWORD kSubKeyNameBuffer = 256;

// The view number goes into the access mask as KEY_WOW64_64KEY (0x100) or
// KEY_WOW64_32KEY (0x200).
REGSAM ViewAccess(int view) { return static_cast<REGSAM>(view) << 8; }

LSTATUS OpenRegistryKey(HKEY root, const std::wstring& subKey, int view, RegistryKey& key) {
  HKEY opened = nullptr;
  const LSTATUS status = RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | ViewAccess(view), &opened);
  if (status == ERROR_SUCCESS) key.reset(opened);
  return status;
}

bool IsMissingPathError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void ThrowFileSystemError(const char* operation, const std::wstring& path, DWORD error) {
  throw fs::filesystem_error(operation, fs::path(path),
                             std::error_code(static_cast<int>(error), std::system_category()));
}

}  // namespace

// ===========================================================================
// Environment, files and folders

std::wstring ExpandEnvironment(const std::wstring& text) {
  std::vector<wchar_t> buffer(kInitialExpansionBuffer, L'\0');
  // The answer for a too small buffer is the size needed; a variable could
  // grow between two calls, hence a few rounds instead of one retry.
  for (int round = 0; round < 4; ++round) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return {};
    if (needed <= buffer.size()) return std::wstring(buffer.data());
    buffer.assign(needed, L'\0');
  }
  return {};
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::uint32_t CreateFolder(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
  const DWORD statusError = GetLastError();
  if (!IsMissingPathError(statusError)) ThrowFileSystemError("status", path, statusError);
  if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
  const DWORD createError = GetLastError();
  // Someone else created it in between: it is there, which is all callers ask.
  return createError == ERROR_ALREADY_EXISTS ? 0 : createError;
}

// ===========================================================================
// Processes and the shell

std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters, std::uint32_t* exitCode,
                         bool wait) {
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring commandLine = program + L" " + parameters;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &started)) {
    return GetLastError();
  }
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  if (!wait) return 0;

  std::uint32_t result = 0;
  if (WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) result = GetLastError();
  DWORD code = 0;
  if (exitCode && GetExitCodeProcess(process.get(), &code)) *exitCode = code;
  return result;
}

void OpenUrl(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// ===========================================================================
// Services, processes, accounts

bool IsServiceRunning() {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, GENERIC_READ));
  if (!manager) return false;
  const ServiceHandle service(OpenServiceW(manager.get(), kPluginServiceName, GENERIC_READ));
  if (!service) return false;
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                            &needed)) {
    return false;
  }
  return status.dwCurrentState == SERVICE_RUNNING;
}

bool GetProcessAccount(HANDLE process, std::wstring& name, std::wstring& domain) {
  name.clear();
  domain.clear();
  HANDLE openedToken = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &openedToken)) return false;
  const UniqueHandle token(openedToken);

  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return false;
  const HeapBlock block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!block || !GetTokenInformation(token.get(), TokenUser, block.get(), size, &size)) return false;

  const auto* user = static_cast<const TOKEN_USER*>(block.get());
  wchar_t nameBuffer[kAccountNameBuffer] = {};
  wchar_t domainBuffer[kAccountNameBuffer] = {};
  DWORD nameLength = kAccountNameBuffer;
  DWORD domainLength = kAccountNameBuffer;
  SID_NAME_USE use{};
  if (!LookupAccountSidW(nullptr, user->User.Sid, nameBuffer, &nameLength, domainBuffer, &domainLength, &use)) {
    return false;
  }
  name = nameBuffer;
  domain = domainBuffer;
  return true;
}

bool IsPluginRunning() {
  std::wstring currentName;
  std::wstring currentDomain;
  if (!GetProcessAccount(GetCurrentProcess(), currentName, currentDomain) || currentName.empty()) return false;

  const UniqueHandle snapshot = OwnHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (!std::wcsstr(entry.szExeFile, kPluginImageName)) continue;
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    std::wstring name;
    std::wstring domain;
    if (GetProcessAccount(process.get(), name, domain) && name == currentName) return true;
  }
  return false;
}

// ===========================================================================
// Registry

std::wstring ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                const std::wstring& defaultValue, std::uint32_t* error, int view) {
  const auto fail = [&](DWORD code) {
    if (error) *error = code;
    return defaultValue;
  };
  RegistryKey key;
  if (const LSTATUS status = OpenRegistryKey(root, subKey, view, key); status != ERROR_SUCCESS) return fail(status);

  DWORD type = 0;
  if (const LSTATUS status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, nullptr);
      status != ERROR_SUCCESS) {
    return fail(status);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return fail(ERROR_BAD_FORMAT);

  // One character more than is read: a text stored without its terminating
  // zero (the registry allows that) still ends inside the buffer.
  wchar_t buffer[kRegistryStringBytes / sizeof(wchar_t) + 1] = {};
  DWORD size = kRegistryStringBytes;
  if (const LSTATUS status =
          RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
      status != ERROR_SUCCESS) {
    return fail(status);
  }
  if (error) *error = 0;
  return std::wstring(buffer);
}

std::uint32_t EnumerateSubKeys(HKEY root, const std::wstring& subKey, std::vector<std::wstring>& names, int view) {
  RegistryKey key;
  if (const LSTATUS status = OpenRegistryKey(root, subKey, view, key); status != ERROR_SUCCESS) return status;
  DWORD count = 0;
  if (const LSTATUS status = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr);
      status != ERROR_SUCCESS) {
    return status;
  }
  for (DWORD index = 0; index < count; ++index) {
    wchar_t name[kSubKeyNameBuffer] = {};
    DWORD length = kSubKeyNameBuffer;
    if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      names.emplace_back(name, length);
    }
  }
  return 0;
}

// ===========================================================================
// Disks and the system

SpaceInfo QuerySpace(const std::wstring& root) {
  ULARGE_INTEGER available{};
  ULARGE_INTEGER capacity{};
  ULARGE_INTEGER free{};
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, &capacity, &free)) {
    ThrowFileSystemError("space", root, GetLastError());
  }
  return SpaceInfo{capacity.QuadPart, free.QuadPart, available.QuadPart};
}

std::optional<WindowsVersion> QueryWindowsVersion() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll");
  if (!ntdll) return std::nullopt;
  // Through void(*)(): GetProcAddress's type has nothing to do with the
  // function's, and GCC accepts that one cast without a warning.
  const auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!getVersion) return std::nullopt;
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (getVersion(&info) != 0) return std::nullopt;
  return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.wServicePackMajor,
                        info.wServicePackMinor};
}

std::uint16_t UserDefaultLanguageId() { return GetUserDefaultLangID(); }

std::wstring SystemFolder() {
  std::vector<wchar_t> buffer(MAX_PATH, L'\0');
  for (int round = 0; round < 2; ++round) {
    const UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      std::wstring folder(buffer.data(), length);
      while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
      return folder;
    }
    buffer.assign(length + 1, L'\0');
  }
  return {};
}

// ===========================================================================
// The interface the engine uses, delegating to the functions above

namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32Services final : public SystemServices {
 public:
  std::wstring ExpandEnvironment(const std::wstring& text) override { return installer::ExpandEnvironment(text); }
  bool FileExists(const std::wstring& path) override { return installer::FileExists(path); }
  std::uint32_t CreateFolder(const std::wstring& path) override { return installer::CreateFolder(path); }
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters, std::uint32_t* exitCode,
                           bool wait) override {
    return installer::RunProcess(program, parameters, exitCode, wait);
  }
  void OpenUrl(const std::string& address) override { installer::OpenUrl(address); }
  bool IsServiceRunning() override { return installer::IsServiceRunning(); }
  bool IsPluginRunning() override { return installer::IsPluginRunning(); }
  std::wstring ReadRegistryString(RegistryRoot root, const std::wstring& subKey, const std::wstring& valueName,
                                  const std::wstring& defaultValue, std::uint32_t* error, int view) override {
    return installer::ReadRegistryString(RootKey(root), subKey, valueName, defaultValue, error, view);
  }
  std::uint32_t EnumerateSubKeys(RegistryRoot root, const std::wstring& subKey, std::vector<std::wstring>& names,
                                 int view) override {
    return installer::EnumerateSubKeys(RootKey(root), subKey, names, view);
  }
  SpaceInfo Space(const std::wstring& root) override { return installer::QuerySpace(root); }
  std::optional<WindowsVersion> QueryWindowsVersion() override { return installer::QueryWindowsVersion(); }
  std::uint16_t UserDefaultLanguageId() override { return installer::UserDefaultLanguageId(); }
  std::wstring SystemFolder() override { return installer::SystemFolder(); }
};

}  // namespace

SystemServices& PlatformServices() {
  static Win32Services services;
  return services;
}

}  // namespace kovo::plugin::web::installer
