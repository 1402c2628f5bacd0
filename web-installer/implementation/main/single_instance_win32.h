// One installer at a time.
#pragma once

#include <string>

namespace kovo::plugin::web::installer {

// True when another copy owns the named mutex and a top-level window with
// exactly this title exists; that window is then brought to the front and
// redrawn. The first caller keeps the mutex for the rest of the process.
bool IsAnotherInstanceRunning(const std::wstring& mutexName, const std::wstring& windowTitle);

}  // namespace kovo::plugin::web::installer
