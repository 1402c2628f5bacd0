// The program's one diagnostic channel: every record of every level is
// appended as one line to one text file. Usable from any thread.
#pragma once

#include <cstdint>
#include <ios>
#include <string>
#include <string_view>
#include <type_traits>

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

template <typename T>
inline constexpr bool kUnsupported = false;

// The message of one record, built with "<<" as a std::ostream with its
// default settings would build it (integers in decimal, or in hex after
// std::hex; floating point as "%g" with 6 digits; bool as 1 or 0; char as the
// character; pointers as 0x... hex), without the stream and locale machinery,
// which would be most of the shipped program's code. A null C string, as for
// a stream, ends the message there. Not for sharing between threads.
class LogText {
 public:
  template <typename T>
  LogText& operator<<(const T& value) {
    using Value = std::decay_t<T>;
    if (failed_) return *this;
    if constexpr (std::is_array_v<T> && std::is_same_v<std::remove_cv_t<std::remove_extent_t<T>>, char>) {
      text_ += static_cast<const char*>(value);
    } else if constexpr (std::is_same_v<Value, bool>) {
      text_ += value ? '1' : '0';
    } else if constexpr (std::is_same_v<Value, char> || std::is_same_v<Value, signed char> ||
                         std::is_same_v<Value, unsigned char>) {
      text_ += static_cast<char>(value);
    } else if constexpr (std::is_same_v<Value, wchar_t> || std::is_same_v<Value, char16_t> ||
                         std::is_same_v<Value, char32_t>) {
      static_assert(kUnsupported<T>, "narrow the text before logging it");
    } else if constexpr (std::is_integral_v<Value>) {
      if (hex_) {
        AppendHex(static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<Value>>(value)));
      } else if constexpr (std::is_signed_v<Value>) {
        AppendSigned(static_cast<std::int64_t>(value));
      } else {
        AppendUnsigned(static_cast<std::uint64_t>(value));
      }
    } else if constexpr (std::is_enum_v<Value>) {
      static_assert(std::is_convertible_v<Value, int>, "a scoped enumeration has no text; cast it");
      *this << +value;
    } else if constexpr (std::is_floating_point_v<Value>) {
      AppendFloating(static_cast<double>(value));
    } else if constexpr (std::is_same_v<Value, const char*> || std::is_same_v<Value, char*>) {
      if (value == nullptr) {
        failed_ = true;
      } else {
        text_ += value;
      }
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      text_ += std::string_view(value);
    } else if constexpr (std::is_pointer_v<Value> && !std::is_function_v<std::remove_pointer_t<Value>>) {
      AppendPointer(reinterpret_cast<std::uintptr_t>(value));
    } else {
      static_assert(kUnsupported<T>, "no log text for this type");
    }
    return *this;
  }

  // std::hex and std::dec (std::oct is not used, and is taken as std::dec).
  LogText& operator<<(std::ios_base& (*manipulator)(std::ios_base&)) {
    hex_ = manipulator == &std::hex;
    return *this;
  }

  const std::string& str() const { return text_; }

 private:
  void AppendSigned(std::int64_t value);
  void AppendUnsigned(std::uint64_t value);
  void AppendHex(std::uint64_t value);
  void AppendFloating(double value);
  void AppendPointer(std::uintptr_t value);

  std::string text_;
  bool hex_ = false;
  bool failed_ = false;
};

// Builds the record with the stream expression and writes it; swallows every
// error so that logging can never change the outcome of the operation around it.
template <typename Compose>
void Write(LogLevel level, const char* location, Compose&& compose) noexcept {
  try {
    LogText message;
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
      [&](::kovo::desktop::ui::imgui::log_detail::LogText& kovo_log_stream) { kovo_log_stream << expression; })

#define LOG_DEBUG(expression) KOVO_LOG_AT(0, expression)
#define LOG_INFO(expression) KOVO_LOG_AT(1, expression)
#define LOG_WARN(expression) KOVO_LOG_AT(2, expression)
#define LOG_ERROR(expression) KOVO_LOG_AT(3, expression)
#define LOG_FATAL(expression) KOVO_LOG_AT(4, expression)
