// The history record: its one line, its file name, its duration, and the
// file written under the machine's data folder (a temporary folder here).
#include "installer/install_history.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using installer::HistoryValues;
using installer::InstallHistory;
using installer::LocalTime;
using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::system_clock;

namespace {

// 2021-12-08 11:05:33 UTC.
constexpr std::int64_t kStart = 1638961533;

// A fixed zone of whole minutes east of UTC, without daylight saving.
installer::LocalTimeFunction FixedZone(int offsetMinutes) {
  return [offsetMinutes](std::int64_t utc) {
    // Civil date of a day count (days since 1970-01-01).
    std::int64_t local = utc + offsetMinutes * 60;
    std::int64_t days = local / 86400;
    std::int64_t rest = local % 86400;
    if (rest < 0) {
      rest += 86400;
      --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    LocalTime t;
    t.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.utcOffsetMinutes = offsetMinutes;
    return t;
  };
}

const auto kMoscow = FixedZone(180);

// A clock the test moves by hand.
struct ManualClock {
  system_clock::time_point now{};
  installer::SystemClock Function() {
    return [this] { return now; };
  }
  void Set(std::int64_t secondsSinceEpoch, int milliseconds = 0) {
    now = system_clock::time_point(seconds(secondsSinceEpoch) +
                                   std::chrono::milliseconds(milliseconds));
  }
};

std::string Utf8(const std::wstring& text) { return installer::ToUtf8(text); }

}  // namespace

TEST(InstallHistoryText, HasEveryPieceInOrder) {
  const struct {
    const char* name;
    std::wstring type, result;
    std::string expected;
  } cases[] = {
      {"a successful recommended install", L"recommended", L"OK",
       "{\"InstallType\":\"recommended(OK)\", \"InstallDate\":\"08-12-2021 14:05:33 +0300\", "
       "\"InstallationCompletionTime\":\"08-12-2021 14:07:10 +0300\", "
       "\"InstallationDuration\":97}"},
      {"an install the log analysis explained with kind 1", L"full", L"ERROR: 1",
       "{\"InstallType\":\"full(ERROR: 1)\", \"InstallDate\":\"08-12-2021 14:05:33 +0300\", "
       "\"InstallationCompletionTime\":\"08-12-2021 14:07:10 +0300\", "
       "\"InstallationDuration\":97}"},
      {"nothing started", L"", L"",
       "{\"InstallType\":\"()\", \"InstallDate\":\"08-12-2021 14:05:33 +0300\", "
       "\"InstallationCompletionTime\":\"08-12-2021 14:07:10 +0300\", "
       "\"InstallationDuration\":97}"},
      {"a failed download: the type with empty parentheses", L"min", L"",
       "{\"InstallType\":\"min()\", \"InstallDate\":\"08-12-2021 14:05:33 +0300\", "
       "\"InstallationCompletionTime\":\"08-12-2021 14:07:10 +0300\", "
       "\"InstallationDuration\":97}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HistoryValues values{kStart, kStart + 97, c.type, c.result, 97};
    EXPECT_EQ(Utf8(installer::BuildHistoryText(values, kMoscow)), c.expected);
  }
}

TEST(InstallHistoryText, DatesAndFileNamesInTheLocalZone) {
  const struct {
    int offsetMinutes;
    std::int64_t time;
    const char* date;
    const char* fileName;
  } cases[] = {
      {180, kStart, "08-12-2021 14:05:33 +0300", "081221_14-05-33"},
      {0, kStart, "08-12-2021 11:05:33 +0000", "081221_11-05-33"},
      {-570, kStart, "08-12-2021 01:35:33 -0930", "081221_01-35-33"},
      {330, 1609459199, "01-01-2021 05:29:59 +0530", "010121_05-29-59"},  // past midnight
      {-60, 1609459199, "31-12-2020 22:59:59 -0100", "311220_22-59-59"},
      {0, 951782400, "29-02-2000 00:00:00 +0000", "290200_00-00-00"},  // a leap day
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    const auto zone = FixedZone(c.offsetMinutes);
    EXPECT_EQ(Utf8(installer::FormatHistoryDate(c.time, zone)), c.date);
    EXPECT_EQ(Utf8(installer::HistoryFileName(c.time, zone)), c.fileName);
  }
}

TEST(InstallHistory, TheDurationCountsFromTheWholeSecondStart) {
  const struct {
    const char* name;
    std::int64_t start;
    int startMs;
    std::int64_t end;
    int endMs;
    std::int64_t duration;
  } cases[] = {
      {"10.9 to 12.1 seconds past a minute", kStart + 10, 900, kStart + 12, 100, 2},
      {"within the start second", kStart, 200, kStart, 900, 0},
      {"exactly 97 seconds", kStart, 0, kStart + 97, 0, 97},
      {"the clock set back by an hour", kStart, 500, kStart - 3600, 0, -3600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ManualClock clock;
    InstallHistory history(clock.Function(), kMoscow);
    clock.Set(c.start, c.startMs);
    history.RecordStart();
    clock.Set(c.end, c.endMs);
    history.RecordCompletion();
    const HistoryValues values = history.Values();
    EXPECT_EQ(values.startTime, c.start);
    EXPECT_EQ(values.completionTime, c.end);
    EXPECT_EQ(values.duration, c.duration);
  }
}

TEST(InstallHistory, TheLastTypeAndResultWin) {
  InstallHistory history(system_clock::now, kMoscow);
  history.SetInstallType(L"recommended");
  history.SetResult(L"ERROR: 1620");
  history.SetInstallType(L"custom");
  history.SetResult(L"OK");
  EXPECT_EQ(history.Values().installType, L"custom");
  EXPECT_EQ(history.Values().result, L"OK");
}

namespace {

class HistoryFileTest : public ::testing::Test {
 protected:
  HistoryFileTest() : scoped_(system_) {
    system_.environment[L"PROGRAMDATA"] = (temp_.Path() / "ProgramData").wstring();
  }

  fs::path HistoryFolder() const {
    return temp_.Path() / "ProgramData" / "Kovo3Plugin" / "logs" / "web_installer_history";
  }

  kovo::testing::TempFolder temp_;
  kovo::testing::FakeSystemServices system_;
  installer::ScopedSystemServices scoped_;
  ManualClock clock_;
};

}  // namespace

TEST_F(HistoryFileTest, WritesTheLineWithoutMarkOrLineEndCreatingTheFolders) {
  InstallHistory history(clock_.Function(), kMoscow);
  clock_.Set(kStart, 400);
  history.RecordStart();
  history.SetInstallType(L"recommended");
  history.SetResult(L"OK");
  clock_.Set(kStart + 97, 10);
  history.RecordCompletion();
  history.Write();

  const fs::path file = HistoryFolder() / "081221_14-05-33";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(
      kovo::testing::ReadFile(file),
      "{\"InstallType\":\"recommended(OK)\", \"InstallDate\":\"08-12-2021 14:05:33 +0300\", "
      "\"InstallationCompletionTime\":\"08-12-2021 14:07:10 +0300\", \"InstallationDuration\":97}");
  EXPECT_EQ(std::distance(fs::directory_iterator(HistoryFolder()), fs::directory_iterator()), 1);
}

TEST_F(HistoryFileTest, ARunInTheSameSecondOverwritesTheFile) {
  fs::create_directories(HistoryFolder());
  kovo::testing::WriteFile(HistoryFolder() / "081221_14-05-33", std::string(500, 'x'));
  InstallHistory history(clock_.Function(), kMoscow);
  clock_.Set(kStart);
  history.RecordStart();
  history.RecordCompletion();
  history.Write();
  EXPECT_EQ(
      kovo::testing::ReadFile(HistoryFolder() / "081221_14-05-33"),
      "{\"InstallType\":\"()\", \"InstallDate\":\"08-12-2021 14:05:33 +0300\", "
      "\"InstallationCompletionTime\":\"08-12-2021 14:05:33 +0300\", \"InstallationDuration\":0}");
}

TEST_F(HistoryFileTest, AFolderThatCannotBeMadeOrNamedIsSkippedQuietly) {
  const struct {
    const char* name;
    std::function<void(kovo::testing::FakeSystemServices&, const fs::path&)> arrange;
  } cases[] = {
      {"creation refused",
       [](auto& system, const fs::path& root) {
         system.failingFolders[(root / "ProgramData" / "Kovo3Plugin").wstring()] =
             5;  // access denied
       }},
      {"the variable is not defined",
       [](auto& system, const fs::path&) { system.environment.clear(); }},
      {"a file where the folder should be",
       [](auto&, const fs::path& root) {
         fs::create_directories(root / "ProgramData");
         kovo::testing::WriteFile(root / "ProgramData" / "Kovo3Plugin", "");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kovo::testing::TempFolder root;
    system_.environment[L"PROGRAMDATA"] = (root.Path() / "ProgramData").wstring();
    c.arrange(system_, root.Path());
    kovo::testing::LogCapture log;
    InstallHistory history(clock_.Function(), kMoscow);
    history.RecordStart();
    history.RecordCompletion();
    EXPECT_NO_THROW(history.Write());
    EXPECT_FALSE(fs::exists(root.Path() / "ProgramData" / "Kovo3Plugin" / "logs"));
    EXPECT_TRUE(log.Contains("History"));
  }
}

TEST_F(HistoryFileTest, AResultSetWhileTheFileIsWrittenIsSafe) {
  InstallHistory history(system_clock::now, kMoscow);
  history.RecordStart();
  history.SetInstallType(L"full");
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    for (int i = 0; !stop; ++i) history.SetResult(i % 2 ? L"OK" : L"ERROR: 1603 and a longer text");
  });
  for (int i = 0; i < 50; ++i) {
    history.RecordCompletion();
    history.Write();
  }
  stop = true;
  worker.join();
  // The file holds one of the two whole values, never a mixture.
  for (const auto& entry : fs::directory_iterator(HistoryFolder())) {
    const std::string text = kovo::testing::ReadFile(entry.path());
    EXPECT_TRUE(text.rfind("{\"InstallType\":\"full(OK)\"", 0) == 0 ||
                text.rfind("{\"InstallType\":\"full(ERROR: 1603 and a longer text)\"", 0) == 0)
        << text;
  }
}
