#include "installer/install_history.h"

namespace kovo::plugin::web::installer {

LocalTime MachineLocalTime(std::int64_t) { return {}; }
std::wstring HistoryFileName(std::int64_t, const LocalTimeFunction&) { return {}; }
std::wstring FormatHistoryDate(std::int64_t, const LocalTimeFunction&) { return {}; }
std::wstring BuildHistoryText(const HistoryValues&, const LocalTimeFunction&) { return {}; }

InstallHistory& InstallHistory::Instance() {
  static InstallHistory history(&std::chrono::system_clock::now, &MachineLocalTime);
  return history;
}

InstallHistory::InstallHistory(SystemClock clock, LocalTimeFunction localTime)
    : clock_(std::move(clock)), localTime_(std::move(localTime)) {}

void InstallHistory::RecordStart() {}
void InstallHistory::SetInstallType(const std::wstring&) {}
void InstallHistory::SetResult(const std::wstring&) {}
void InstallHistory::RecordCompletion() {}
void InstallHistory::Write() {}
HistoryValues InstallHistory::Values() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_;
}
std::wstring InstallHistory::HistoryFolder() { return {}; }

}  // namespace kovo::plugin::web::installer
