// The installer's operations on Windows, as free functions. No operation
// keeps state between calls or logs; the engine reaches them through the
// SystemServices interface (system_services.h), whose Win32 implementation
// only delegates here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/system_services.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

inline constexpr wchar_t kPluginServiceName[] = L"KOVO3Plugin";
inline constexpr wchar_t kPluginImageName[] = L"kovo3plugin.exe";

// ---------------------------------------------------------------------------
// Environment, files and folders

// The expansion; the text unchanged where a variable is not defined; empty
// when the system call fails. Results of any length.
std::wstring ExpandEnvironment(const std::wstring& text);

// True when the file system reports status for the path (file or folder).
bool FileExists(const std::wstring& path);

// 0 when the path exists or this one folder (not its parents) was created,
// else the system error. Throws std::filesystem::filesystem_error when the
// existence cannot be determined for another reason than a missing path.
std::uint32_t CreateFolder(const std::wstring& path);

// ---------------------------------------------------------------------------
// Processes and the shell

// Starts "program parameters" without a window, inheriting nothing but the
// environment and current folder. Returns the start's system error, or 0.
// When waiting, blocks until the process ends and stores its exit code
// (exitCode may be null when not waiting); a failed wait returns its error.
std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters, std::uint32_t* exitCode,
                         bool wait);

// The shell's "open" of an address (the default browser for a web address).
void OpenUrl(const std::string& address);

// ---------------------------------------------------------------------------
// Services, processes, accounts

// True only when the plugin's service exists and its state is running.
bool IsServiceRunning();

// True when a process whose image name contains "kovo3plugin.exe" runs under
// the account of the current process (names compared, domains not).
bool IsPluginRunning();

// The account a process runs under; false (both outputs empty) on failure.
bool GetProcessAccount(HANDLE process, std::wstring& name, std::wstring& domain);

// ---------------------------------------------------------------------------
// Registry. view: 0 the caller's own view, 1 the 64-bit view, 2 the 32-bit view.

// A REG_SZ or REG_EXPAND_SZ (unexpanded) value of at most 254 characters.
// On any failure the default is returned and *error (when given) is the
// failing call's code: 11 for another value type, ERROR_MORE_DATA for a
// longer text.
std::wstring ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                const std::wstring& defaultValue, std::uint32_t* error, int view);

// Appends the names of the key's sub-keys in enumeration order. Returns the
// error of opening or querying the key, else 0.
std::uint32_t EnumerateSubKeys(HKEY root, const std::wstring& subKey, std::vector<std::wstring>& names, int view);

// ---------------------------------------------------------------------------
// Disks and the system

// Capacity, total free and available bytes of the volume of a root ("C:\").
// Throws std::filesystem::filesystem_error ("space") when it cannot be queried.
SpaceInfo QuerySpace(const std::wstring& root);

// What RtlGetVersion of "ntdll" reports (not subject to the compatibility
// shims of GetVersionEx); empty when the function is missing.
std::optional<WindowsVersion> QueryWindowsVersion();

std::uint16_t UserDefaultLanguageId();

// GetSystemDirectoryW without a trailing backslash; empty on failure.
std::wstring SystemFolder();

}  // namespace kovo::plugin::web::installer
