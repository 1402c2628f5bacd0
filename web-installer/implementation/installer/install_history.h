// The one-line history file every run that got as far as its window leaves
// under "%PROGRAMDATA%\Kovo3Plugin\logs\web_installer_history": the install
// type, the last install run's result, start and end time and the duration.
//
// Threads: RecordStart, RecordCompletion and Write on the program's main
// thread, SetInstallType on the logic thread, SetResult on the install worker,
// which may still run while Write reads; a lock inside makes that safe.
// Failures: no operation throws; a folder or file that cannot be made or
// opened is logged and the file is left out.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace kovo::plugin::web::installer {

// A moment in the machine's local time, with its offset from UTC.
struct LocalTime {
  int year = 1970;  // e.g. 2021
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int utcOffsetMinutes = 0;  // east of UTC positive: +0300 is 180
};

// Seconds since 1970-01-01 UTC -> local time.
using LocalTimeFunction = std::function<LocalTime(std::int64_t)>;
using SystemClock = std::function<std::chrono::system_clock::time_point()>;

// The machine's own time zone, as the C library knows it.
LocalTime MachineLocalTime(std::int64_t secondsSinceEpoch);

struct HistoryValues {
  std::int64_t startTime = 0;       // seconds since 1970-01-01 UTC
  std::int64_t completionTime = 0;  // seconds since 1970-01-01 UTC
  std::wstring installType;         // empty until an install is started
  std::wstring result;              // "OK", "ERROR: <kind>" or empty
  std::int64_t duration = 0;        // seconds
};

// "%d%m%y_%H-%M-%S" of the start time in local time.
std::wstring HistoryFileName(std::int64_t startTime, const LocalTimeFunction& localTime);
// "%d-%m-%Y %H:%M:%S %z"; %z as a sign and four digits.
std::wstring FormatHistoryDate(std::int64_t time, const LocalTimeFunction& localTime);
// The file's one line, without a line end.
std::wstring BuildHistoryText(const HistoryValues& values, const LocalTimeFunction& localTime);

class InstallHistory {
 public:
  // The process-wide object, created on first use (never destroyed, so that a
  // worker still running at exit finds it), with the system clock and the
  // machine's time zone.
  static InstallHistory& Instance();

  // Tests make their own with a clock and a time zone of their choosing.
  InstallHistory(SystemClock clock, LocalTimeFunction localTime);
  InstallHistory(const InstallHistory&) = delete;
  InstallHistory& operator=(const InstallHistory&) = delete;

  // Start time = now, truncated to whole seconds.
  void RecordStart();
  // The install type's table name; the last value wins.
  void SetInstallType(const std::wstring& name);
  // "OK" or "ERROR: " followed by the error kind; the last value wins.
  void SetResult(const std::wstring& result);
  // Completion time = now truncated; duration = now minus the start time.
  void RecordCompletion();
  // Creates the folder (with its parents) and writes the file. Never throws.
  void Write();

  HistoryValues Values() const;
  // The folder Write uses ("%PROGRAMDATA%" expanded + the three subfolders).
  static std::wstring HistoryFolder();

 private:
  mutable std::mutex mutex_;
  SystemClock clock_;
  LocalTimeFunction localTime_;
  HistoryValues values_;
};

}  // namespace kovo::plugin::web::installer
