// Explains a failed installation from the verbose Windows Installer log of
// the install run (UTF-16 little-endian, Russian wording).
#pragma once

#include <cstddef>
#include <cstdio>

#include "installer/error_catalogue.h"

namespace kovo::plugin::web::installer {

// How many lines before a failed action may name its cause.
inline constexpr std::size_t kCauseSearchLines = 22;

// The kind that the log read from `log` explains: 0 when no action failed,
// 6 when no action reported a return value at all, 1 when failed actions
// name no known cause, else the kind of the first LogErrorTexts key found in
// the lines before a failed action. A read error yields 1.
ErrorKind AnalyzeInstallerLog(std::FILE* log);

}  // namespace kovo::plugin::web::installer
