// The logger's only contact with the operating system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kovo::desktop::ui::imgui::logger_platform {

std::uint32_t CurrentProcessId();
// False when the session cannot be determined; the caller keeps its last value.
bool CurrentSessionId(std::uint32_t& session);
std::uint32_t CurrentThreadId();

// Opens the file for appending (created if needed, shared with other
// programs), writes the record followed by the platform's line end, closes it.
// False when the file cannot be opened or written.
bool AppendRecord(const std::wstring& path, std::string_view record);

}  // namespace kovo::desktop::ui::imgui::logger_platform
