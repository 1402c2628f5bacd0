// Where an installed plugin is recorded on the computer, and how the install
// folder is composed from the folder a user picks.
#pragma once

#include <string>

namespace kovo::plugin::web::installer {

// The plugin's own key under HKEY_LOCAL_MACHINE, values "Path" and "Version".
inline constexpr wchar_t kPluginRegistryKey[] = L"SOFTWARE\\Veltra Company Ltd\\KOVO3Plugin";
inline constexpr wchar_t kPluginPathValue[] = L"Path";
inline constexpr wchar_t kPluginVersionValue[] = L"Version";

// Windows' list of installed products under HKEY_LOCAL_MACHINE; a Windows
// Installer product's sub-key is named by its product code.
inline constexpr wchar_t kUninstallListKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The program file that makes a folder a real installation.
inline constexpr wchar_t kPluginProgramName[] = L"kovo3plugin.exe";

inline constexpr wchar_t kCompanyFolderName[] = L"Veltra Company Ltd";
inline constexpr wchar_t kProductFolderName[] = L"KOVO3Plugin";

// The installed folder ("Path") and version text ("Version"); empty when missing.
std::wstring ReadInstalledFolder();
std::wstring ReadInstalledVersionText();

// The product code of the first uninstall entry whose "DisplayName" is one of
// the plugin's names exactly; empty when there is none.
std::wstring FindProductCode();

// The install folder for a picked folder: the picked folder itself when it
// already names the product folder, else with the missing company and product
// folders added (then ending with a backslash).
std::wstring ComposeInstallFolder(const std::wstring& pickedFolder);

// The folder picker's start folder: the folder above the product's own folders
// (every product folder name removed, then every company folder name).
std::wstring ShortenPickerStartFolder(const std::wstring& folder);

}  // namespace kovo::plugin::web::installer
