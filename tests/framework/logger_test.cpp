#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include <kovo-ui-imgui/logger/logger.h>

#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
using kovo::testing::LogCapture;
using kovo::testing::TempFolder;
namespace fs = std::filesystem;

// Runs first in the program so that no test has moved the log file yet.
TEST(Logger, WritesToTestLogInTheCurrentFolderByDefault) {
  TempFolder folder;
  const auto previous = fs::current_path();
  fs::current_path(folder.Path());
  LOG_INFO("before any log file was chosen");
  fs::current_path(previous);
  EXPECT_NE(kovo::testing::ReadFile(folder.Path() / "test.log").find("before any log file was chosen"),
            std::string::npos);
}

TEST(Logger, RecordHasDateTimeLevelIdsLocationAndMessage) {
  LogCapture log;
  const auto before = std::chrono::system_clock::now();
  LOG_INFO("hello " << 42 << ' ' << std::string("world"));
  const auto after = std::chrono::system_clock::now();

  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 1u);
  // Time numbers are written without leading zeros: 8:5:3, not 08:05:03.
  const std::regex format(
      R"(^(\d\d-\d\d-\d\d) (0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d{0,2}) INFO )"
      R"(\[(\d+), (\d+), (\d+)\]\t\[tests/framework/logger_test\.cpp:\d+\]\thello 42 world$)");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines[0], match, format)) << lines[0];

  const std::time_t now = std::time(nullptr);
  char date[16];
  std::strftime(date, sizeof(date), "%y-%m-%d", std::localtime(&now));
  EXPECT_EQ(match[1].str(), date);

  auto epochMod = [](std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count() % 1000;
  };
  const long fourth = std::stol(match[5].str());
  EXPECT_TRUE(fourth == epochMod(before) || fourth == epochMod(after)) << fourth;
  EXPECT_NE(std::stoul(match[7].str()), 0u);  // process
  EXPECT_NE(std::stoul(match[8].str()), 0u);  // thread
}

TEST(Logger, LevelNamesAndUnknownLevels) {
  LogCapture log;
  LOG_DEBUG("d");
  LOG_INFO("i");
  LOG_WARN("w");
  LOG_ERROR("e");
  LOG_FATAL("f");
  ui::Log(static_cast<ui::LogLevel>(7), "here:1", "seven");
  ui::Log(static_cast<ui::LogLevel>(-1), "here:2", "negative");

  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 7u);
  const char* expected[] = {" DEBUG [", " INFO [", " WARN [", " ERROR [", " FATAL [", " UNKN [", " UNKN ["};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find(expected[i]), std::string::npos) << lines[i];
  }
  EXPECT_NE(lines[5].find("\t[here:1]\tseven"), std::string::npos);
}

TEST(Logger, PercentSignsAreDoubledAndPlaceholdersWrittenLiterally) {
  EXPECT_EQ(ui::EscapePercent("no percent"), "no percent");
  EXPECT_EQ(ui::EscapePercent("50%"), "50%%");
  EXPECT_EQ(ui::EscapePercent("%%d %2%"), "%%%%d %%2%%");

  LogCapture log;
  LOG_INFO(50 << "%");
  LOG_INFO("state=%2%");
  const auto messages = log.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "50%%");
  EXPECT_EQ(messages[1], "state=%%2%%");
}

TEST(Logger, RecordsEndWithThePlatformLineEnd) {
  LogCapture log;
  LOG_INFO("one");
  LOG_INFO("two");
  const std::string raw = log.RawText();
#if defined(_WIN32)
  EXPECT_NE(raw.find("one\r\n"), std::string::npos);
  EXPECT_EQ(raw.substr(raw.size() - 5), "two\r\n");
#else
  EXPECT_EQ(raw.substr(raw.size() - 4), "two\n");
#endif
}

TEST(Logger, ThreadsLoggingAtOnceNeverMixALine) {
  LogCapture log;
  constexpr int kThreads = 8;
  constexpr int kRecords = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kRecords; ++i) LOG_DEBUG("thread " << t << " record " << i << " end");
    });
  }
  for (auto& thread : threads) thread.join();

  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kRecords));
  const std::regex whole(R"(^\S+ \S+ DEBUG \[\d+, \d+, (\d+)\]\t\[[^\]]+\]\tthread (\d) record (\d+) end$)");
  std::set<std::string> seen;
  std::set<std::string> threadIds;
  for (const auto& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, whole)) << line;
    seen.insert(match[2].str() + "/" + match[3].str());
    threadIds.insert(match[1].str());
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kRecords));
  EXPECT_EQ(threadIds.size(), static_cast<size_t>(kThreads));
}

TEST(Logger, AFileDeletedBetweenRecordsIsCreatedAgain) {
  LogCapture log;
  LOG_INFO("first");
  ASSERT_TRUE(fs::remove(log.File()));
  LOG_INFO("second");
  const auto messages = log.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "second");
}

TEST(Logger, UnopenableFileDropsRecordsSilentlyAndRecovers) {
  TempFolder folder;
  const auto file = folder.Path() / "missing-folder" / "x.log";
  ui::SetLogFile(file.wstring());
  LOG_INFO("dropped");
  EXPECT_FALSE(fs::exists(file));
  fs::create_directories(file.parent_path());
  LOG_INFO("kept");
  EXPECT_NE(kovo::testing::ReadFile(file).find("kept"), std::string::npos);
  EXPECT_EQ(kovo::testing::ReadFile(file).find("dropped"), std::string::npos);
  ui::SetLogFile(L"");
  LOG_INFO("nowhere");  // an empty path must not fail either
  ui::SetLogFile(L"test.log");
}
