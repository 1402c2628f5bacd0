// The installer's files in its working folder.
#pragma once

#include <string>

#include "installer/outside_components.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

inline constexpr wchar_t kRemovalLogFileName[] = L"msi_uninstall.log";
inline constexpr wchar_t kInstallLogFileName[] = L"msi_install.log";

// Windows joins with a backslash; native test runs use the host's separator
// so that the same code finds the files there.
#if defined(_WIN32)
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

inline std::wstring WorkingFile(const std::wstring& workingFolder, const wchar_t* name) {
  return workingFolder + kPathSeparator + name;
}

// The downloaded package (its name is the download's, outside_components.h).
inline std::wstring PackageFile(const std::wstring& workingFolder) {
  return workingFolder + kPathSeparator + ToWide(kPackageFileName);
}

}  // namespace kovo::plugin::web::installer
