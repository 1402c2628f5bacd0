// The installer's thin layer over the operating system. On Windows every
// operation is also a free function of this namespace (system_services_win32.h);
// the engine reaches them through this interface so that its logic can run
// against a fake in native tests. No operation keeps state or logs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kovo::plugin::web::installer {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Registry view argument: 0 none (a 32-bit program sees the 32-bit view),
// 1 the 64-bit view, 2 the 32-bit view.
inline constexpr int kRegistryViewDefault = 0;
inline constexpr int kRegistryView64 = 1;
inline constexpr int kRegistryView32 = 2;

struct SpaceInfo {
  std::uint64_t capacity = 0;
  std::uint64_t free = 0;       // total free bytes of the volume
  std::uint64_t available = 0;  // free bytes available to this user
};

struct WindowsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint16_t servicePackMajor = 0;
  std::uint16_t servicePackMinor = 0;
};

class SystemServices {
 public:
  virtual ~SystemServices() = default;

  virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  // 0 when the folder exists or was created (one level), else the system error.
  virtual std::uint32_t CreateFolder(const std::wstring& path) = 0;
  // 0 when started (and, when waiting, ended; exitCode then set), else the
  // system error of the start.
  virtual std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters,
                                   std::uint32_t* exitCode, bool wait) = 0;
  virtual void OpenUrl(const std::string& address) = 0;
  virtual bool IsServiceRunning() = 0;
  virtual bool IsPluginRunning() = 0;
  virtual std::wstring ReadRegistryString(RegistryRoot root, const std::wstring& subKey,
                                          const std::wstring& valueName,
                                          const std::wstring& defaultValue, std::uint32_t* error,
                                          int view) = 0;
  virtual std::uint32_t EnumerateSubKeys(RegistryRoot root, const std::wstring& subKey,
                                         std::vector<std::wstring>& names, int view) = 0;
  // Throws std::filesystem::filesystem_error ("space") when the volume cannot be queried.
  virtual SpaceInfo Space(const std::wstring& root) = 0;
  // The version RtlGetVersion of "ntdll" reports; empty when that is missing.
  virtual std::optional<WindowsVersion> QueryWindowsVersion() = 0;
  // GetUserDefaultLangID.
  virtual std::uint16_t UserDefaultLanguageId() = 0;
  // The Windows system folder (GetSystemDirectoryW), without a trailing
  // backslash; empty when it cannot be had. Programs of the system are started
  // by their full path in it, never through the search order, which begins in
  // the installer's own folder.
  virtual std::wstring SystemFolder() = 0;
};

// A program path as the first token of a command line: in quotes, so that a
// path with blanks is never tried piece by piece ("C:\Program.exe", ...).
inline std::wstring QuotedProgram(const std::wstring& path) { return L"\"" + path + L"\""; }

// The quoted full path of a program in the system folder ("msiexec.exe"),
// empty when the system folder is not known.
inline std::wstring SystemProgram(SystemServices& services, const wchar_t* fileName) {
  const std::wstring folder = services.SystemFolder();
  if (folder.empty()) return {};
  return QuotedProgram(folder + L"\\" + fileName);
}

// The services in use: the platform's own, unless a test put another in place.
SystemServices& Services();

// Puts other services in place for its lifetime (tests).
class ScopedSystemServices {
 public:
  explicit ScopedSystemServices(SystemServices& replacement);
  ~ScopedSystemServices();
  ScopedSystemServices(const ScopedSystemServices&) = delete;
  ScopedSystemServices& operator=(const ScopedSystemServices&) = delete;

 private:
  SystemServices* previous_;
};

}  // namespace kovo::plugin::web::installer
