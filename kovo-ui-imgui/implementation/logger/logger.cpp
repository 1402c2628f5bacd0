#include "kovo-ui-imgui/logger/logger.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
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

namespace log_detail {

void LogText::AppendSigned(std::int64_t value) {
  if (value < 0) {
    text_ += '-';
    // Negated as unsigned, so that the most negative value survives.
    AppendUnsigned(0u - static_cast<std::uint64_t>(value));
  } else {
    AppendUnsigned(static_cast<std::uint64_t>(value));
  }
}

void LogText::AppendUnsigned(std::uint64_t value) {
  char digits[24];
  char* end = digits + sizeof(digits);
  char* start = end;
  do {
    *--start = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  text_.append(start, end);
}

void LogText::AppendHex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  char digits[16];
  char* end = digits + sizeof(digits);
  char* start = end;
  do {
    *--start = kDigits[value & 0xf];
    value >>= 4;
  } while (value != 0);
  text_.append(start, end);
}

void LogText::AppendFloating(double value) {
  // A stream's default: "%g" with its default precision of 6.
  constexpr int kStreamPrecision = 6;
  char digits[64];
  const int length = std::snprintf(digits, sizeof(digits), "%.*g", kStreamPrecision, value);
  if (length <= 0) return;
  text_.append(digits, std::min(static_cast<std::size_t>(length), sizeof(digits) - 1));
}

void LogText::AppendPointer(std::uintptr_t value) {
  // As a stream writes a pointer: hex with the 0x base, which a null one lacks.
  if (value != 0) text_ += "0x";
  AppendHex(value);
}

}  // namespace log_detail

}  // namespace kovo::desktop::ui::imgui
