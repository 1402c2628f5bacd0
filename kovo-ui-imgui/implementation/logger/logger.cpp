#include "kovo-ui-imgui/logger/logger.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>

#include "logger/logger_platform.h"

namespace kovo::desktop::ui::imgui {

namespace {

struct LoggerState {
  std::wstring path = L"test.log";
  std::mutex mutex;
  std::uint32_t processId = 0;
  std::uint32_t sessionId = 0;
};

LoggerState& State() {
  static LoggerState state;
  return state;
}

const char* LevelName(LogLevel level) {
  switch (static_cast<unsigned>(level)) {
    case 0: return "DEBUG";
    case 1: return "INFO";
    case 2: return "WARN";
    case 3: return "ERROR";
    case 4: return "FATAL";
    default: return "UNKN";
  }
}

std::tm LocalTime(std::time_t now) {
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

// Date, time and level: "26-12-10 8:5:3:123 INFO". The fourth time number is
// the epoch seconds modulo 1000, as in the records our support tools read.
std::string RecordPrefix(LogLevel level) {
  const auto epochSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
  const std::tm local = LocalTime(std::time(nullptr));
  char date[80] = {};
  std::strftime(date, sizeof(date), "%y-%m-%d", &local);

  std::string prefix = date;
  prefix += ' ';
  prefix += std::to_string(local.tm_hour) + ':' + std::to_string(local.tm_min) + ':' +
            std::to_string(local.tm_sec) + ':' + std::to_string(epochSeconds % 1000);
  prefix += ' ';
  prefix += LevelName(level);
  return prefix;
}

}  // namespace

void SetLogFile(const std::wstring& path) { State().path = path; }

void Log(LogLevel level, const char* location, const char* message) {
  try {
    std::string record = RecordPrefix(level);
    LoggerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.processId = logger_platform::CurrentProcessId();
    logger_platform::CurrentSessionId(state.sessionId);
    record += " [" + std::to_string(state.sessionId) + ", " + std::to_string(state.processId) +
              ", " + std::to_string(logger_platform::CurrentThreadId()) + "]";
    record += "\t[";
    record += location ? location : "";
    record += "]\t";
    record += message ? message : "";
    logger_platform::AppendRecord(state.path, record);
  } catch (...) {
    // The logger never reports its own trouble to its caller.
  }
}

std::string EscapePercent(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    escaped += c;
    if (c == '%') escaped += '%';
  }
  return escaped;
}

}  // namespace kovo::desktop::ui::imgui
