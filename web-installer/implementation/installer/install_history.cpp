#include "installer/install_history.h"

#include <kovo-ui-imgui/logger/logger.h>

#include <ctime>
#include <exception>
#include <utility>

#include "installer/controller/working_files.h"
#include "installer/staged_file.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

using std::chrono::duration_cast;
using std::chrono::seconds;
using std::chrono::system_clock;

const wchar_t kDataFolderVariable[] = L"%PROGRAMDATA%";
const wchar_t* const kHistorySubfolders[] = {L"Kovo3Plugin", L"logs", L"web_installer_history"};

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// A non-negative number with leading zeros to the width.
std::wstring Padded(int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value < 0 ? -value : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return value < 0 ? L"-" + digits : digits;
}

std::int64_t WholeSeconds(system_clock::time_point time) {
  return duration_cast<seconds>(time.time_since_epoch()).count();
}

// The folder's path ends at the first separator after its root; what lies
// before (a drive "C:", the file system's root) is never created.
bool CreateFolderWithParents(const std::wstring& folder) {
  if (folder.empty() || Services().FileExists(folder)) return true;
  const std::size_t cut = folder.find_last_of(L"\\/");
  if (cut != std::wstring::npos && cut > 0) {
    const std::wstring parent = folder.substr(0, cut);
    const bool isDrive = parent.size() == 2 && parent[1] == L':';
    if (!isDrive && !CreateFolderWithParents(parent)) return false;
  }
  const std::uint32_t error = Services().CreateFolder(folder);
  if (error != 0)
    LOG_WARN("History folder " << ToNarrow(folder) << " not created: system error " << error);
  return error == 0;
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
  std::string reason;
  const file_io::FileHandle file = file_io::CreateForWriting(path, reason);
  if (file == file_io::kNoFile) {
    LOG_WARN("History file " << ToNarrow(path) << " not opened: " << reason);
    return false;
  }
  const bool written = file_io::WriteAll(file, content.data(), content.size(), reason);
  std::string closeReason;
  const bool closed = file_io::Close(file, closeReason);
  if (!written || !closed) {
    LOG_WARN("History file " << ToNarrow(path)
                             << " not written: " << (written ? closeReason : reason));
    return false;
  }
  return true;
}

}  // namespace

LocalTime MachineLocalTime(std::int64_t secondsSinceEpoch) {
  const std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm fields{};
#if defined(_WIN32)
  if (localtime_s(&fields, &time) != 0) return LocalTime{};
#else
  if (!localtime_r(&time, &fields)) return LocalTime{};
#endif
  LocalTime local;
  local.year = fields.tm_year + 1900;
  local.month = fields.tm_mon + 1;
  local.day = fields.tm_mday;
  local.hour = fields.tm_hour;
  local.minute = fields.tm_min;
  local.second = fields.tm_sec;
  // The local wall clock read as if it were UTC, minus the moment itself.
  const std::int64_t wallClock = DaysFromCivil(local.year, static_cast<unsigned>(local.month),
                                               static_cast<unsigned>(local.day)) *
                                     86400 +
                                 local.hour * 3600 + local.minute * 60 + local.second;
  local.utcOffsetMinutes = static_cast<int>((wallClock - secondsSinceEpoch) / 60);
  return local;
}

std::wstring HistoryFileName(std::int64_t startTime, const LocalTimeFunction& localTime) {
  const LocalTime t = localTime(startTime);
  return Padded(t.day, 2) + Padded(t.month, 2) + Padded(t.year % 100, 2) + L"_" +
         Padded(t.hour, 2) + L"-" + Padded(t.minute, 2) + L"-" + Padded(t.second, 2);
}

std::wstring FormatHistoryDate(std::int64_t time, const LocalTimeFunction& localTime) {
  const LocalTime t = localTime(time);
  const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
  return Padded(t.day, 2) + L"-" + Padded(t.month, 2) + L"-" + Padded(t.year, 4) + L" " +
         Padded(t.hour, 2) + L":" + Padded(t.minute, 2) + L":" + Padded(t.second, 2) +
         (t.utcOffsetMinutes < 0 ? L" -" : L" +") + Padded(offset / 60, 2) + Padded(offset % 60, 2);
}

std::wstring BuildHistoryText(const HistoryValues& values, const LocalTimeFunction& localTime) {
  std::wstring text;
  text += L"{";
  text += L"\"InstallType\":\"";
  text += values.installType;
  text += L"(";
  text += values.result;
  text += L")";
  text += L"\", ";
  text += L"\"InstallDate\":\"";
  text += FormatHistoryDate(values.startTime, localTime);
  text += L"\", ";
  text += L"\"InstallationCompletionTime\":\"";
  text += FormatHistoryDate(values.completionTime, localTime);
  text += L"\", ";
  text += L"\"InstallationDuration\":";
  text += std::to_wstring(values.duration);
  text += L"}";
  return text;
}

// Never destroyed: a detached install worker may still set its result while
// the program's static objects are being torn down.
InstallHistory& InstallHistory::Instance() {
  static InstallHistory* const history = new InstallHistory(&system_clock::now, &MachineLocalTime);
  return *history;
}

InstallHistory::InstallHistory(SystemClock clock, LocalTimeFunction localTime)
    : clock_(std::move(clock)), localTime_(std::move(localTime)) {}

void InstallHistory::RecordStart() {
  const std::int64_t now = WholeSeconds(clock_());
  std::lock_guard<std::mutex> lock(mutex_);
  values_.startTime = now;
}

void InstallHistory::SetInstallType(const std::wstring& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.installType = name;
}

void InstallHistory::SetResult(const std::wstring& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.result = result;
}

void InstallHistory::RecordCompletion() {
  const system_clock::time_point now = clock_();
  std::lock_guard<std::mutex> lock(mutex_);
  values_.completionTime = WholeSeconds(now);
  // From the whole-second start, so that a clock set back or forward during
  // the run shows up here.
  values_.duration =
      duration_cast<seconds>(now - system_clock::time_point(seconds(values_.startTime))).count();
}

HistoryValues InstallHistory::Values() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_;
}

std::wstring InstallHistory::HistoryFolder() {
  std::wstring folder = Services().ExpandEnvironment(kDataFolderVariable);
  // An undefined variable stays unexpanded; a folder of that name would be
  // made relative to wherever the program runs.
  if (folder.empty() || folder.find(L'%') != std::wstring::npos) return {};
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  for (const wchar_t* name : kHistorySubfolders) folder = WorkingFile(folder, name);
  return folder;
}

void InstallHistory::Write() {
  try {
    const HistoryValues values = Values();
    const std::wstring folder = HistoryFolder();
    if (folder.empty()) {
      LOG_WARN("History not written: no data folder");
      return;
    }
    if (!CreateFolderWithParents(folder)) return;
    const std::wstring path =
        WorkingFile(folder, HistoryFileName(values.startTime, localTime_).c_str());
    if (WriteWholeFile(path, ToUtf8(BuildHistoryText(values, localTime_)))) {
      LOG_INFO("History written to " << ToNarrow(path));
    }
  } catch (const std::exception& error) {
    LOG_WARN("History not written: " << error.what());
  } catch (...) {
    LOG_WARN("History not written");
  }
}

}  // namespace kovo::plugin::web::installer
