// The program's one diagnostic channel: every record of every level is
// appended as one line to one text file. Usable from any thread.
#pragma once

#include <sstream>
#include <string>

namespace kovo::desktop::ui::imgui {

// <windows.h> defines ERROR as a macro; the enumerators are declared with it
// out of the way, and the LOG_* forms below pass plain numbers, so that they
// work in any file whatever it included before.
#pragma push_macro("ERROR")
#undef ERROR
enum class LogLevel : int {
  DEBUG = 0,
  INFO = 1,
  WARN = 2,
  ERROR = 3,
  FATAL = 4,
};
#pragma pop_macro("ERROR")

// Replaces the log file path (initially "test.log" in the current folder).
// Not synchronised: call it before other threads start.
void SetLogFile(const std::wstring& path);

// Appends one record. A file that cannot be opened drops the record silently.
void Log(LogLevel level, const char* location, const char* message);

// Every "%" doubled, so that no later stage can take a message for a format.
std::string EscapePercent(const std::string& text);

namespace log_detail {
// Builds the record with the stream expression and writes it; swallows every
// error so that logging can never change the outcome of the operation around it.
template <typename Compose>
void Write(LogLevel level, const char* location, Compose&& compose) noexcept {
  try {
    std::ostringstream message;
    compose(message);
    Log(level, location, EscapePercent(message.str()).c_str());
  } catch (...) {
  }
}
}  // namespace log_detail

}  // namespace kovo::desktop::ui::imgui

#define KOVO_LOG_STRINGIZE_DETAIL(x) #x
#define KOVO_LOG_STRINGIZE(x) KOVO_LOG_STRINGIZE_DETAIL(x)
#define KOVO_LOG_LOCATION __FILE__ ":" KOVO_LOG_STRINGIZE(__LINE__)

#define KOVO_LOG_AT(level_number, expression)                                   \
  ::kovo::desktop::ui::imgui::log_detail::Write(                                \
      static_cast<::kovo::desktop::ui::imgui::LogLevel>(level_number), KOVO_LOG_LOCATION, \
      [&](std::ostringstream& kovo_log_stream) { kovo_log_stream << expression; })

#define LOG_DEBUG(expression) KOVO_LOG_AT(0, expression)
#define LOG_INFO(expression) KOVO_LOG_AT(1, expression)
#define LOG_WARN(expression) KOVO_LOG_AT(2, expression)
#define LOG_ERROR(expression) KOVO_LOG_AT(3, expression)
#define LOG_FATAL(expression) KOVO_LOG_AT(4, expression)
