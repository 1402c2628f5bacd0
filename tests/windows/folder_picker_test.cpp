// The shell's folder dialog under Wine, driven through X by xdotool as a user
// would drive it; every run leaves a screenshot of the open dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "installer/folder_picker_win32.h"
#include "installer/text_conversion.h"
#include "support/test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Narrow(const std::wstring& text) { return installer::ToUtf8(text); }

// ============================================================================
// The user at the X display
// ============================================================================

// Runs the host script that waits for the dialog, screenshots it and answers
// it. Should the script fail or hang, the dialog is closed from here, so that
// the test fails instead of blocking for ever.
class DialogUser {
 public:
  DialogUser(const std::string& caseName, const std::string& action, const std::string& folderName = "")
      : statusFile_(kovo::testing::ArtifactsDir() / ("driver-" + caseName + ".txt")) {
    fs::remove(statusFile_);
    // The X server of this run numbers its windows afresh.
    static const bool answeredListCleared = fs::remove(kovo::testing::ArtifactsDir() / "answered-windows.txt");
    (void)answeredListCleared;
    const std::string hostArtifacts = Environment("KOVO_ARTIFACTS_DIR_UNIX");
    const std::string command = "/bin/bash \"" + Environment("KOVO_SOURCE_DIR_UNIX") +
                                "/tests/windows/folder_picker_driver.sh\" \"" + hostArtifacts + "/driver-" +
                                caseName + ".txt\" \"" + hostArtifacts + "/" + caseName + ".png\" " + action +
                                " \"" + folderName + "\"";
    watcher_ = std::thread([this, command] { Drive(command); });
  }

  // The driver's outcome, once the dialog has returned.
  std::string Finish() {
    dialogReturned_ = true;
    watcher_.join();
    return status_;
  }

  ~DialogUser() {
    dialogReturned_ = true;
    if (watcher_.joinable()) watcher_.join();
  }

 private:
  void Drive(const std::string& command) {
    std::wstring commandLine = installer::ToWide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      status_ = "driver did not start: " + std::to_string(GetLastError());
      CloseDialog();
      return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const bool finished = kovo::testing::WaitUntil([this] { return fs::exists(statusFile_); },
                                                   std::chrono::seconds(90));
    status_ = finished ? kovo::testing::ReadFile(statusFile_) : "driver did not finish";
    while (!status_.empty() && (status_.back() == '\n' || status_.back() == '\r')) status_.pop_back();
    if (status_ != "ok") CloseDialog();
  }

  void CloseDialog() {
    kovo::testing::WaitUntil(
        [this] {
          if (HWND dialog = FindWindowW(nullptr, L"Select Folder")) PostMessageW(dialog, WM_CLOSE, 0, 0);
          return dialogReturned_.load();
        },
        std::chrono::seconds(30));
  }

  fs::path statusFile_;
  std::atomic<bool> dialogReturned_{false};
  std::string status_;
  std::thread watcher_;
};

// ============================================================================
// Tests
// ============================================================================

// The default install folder: the dialog starts at Program Files (x86), so a
// folder name typed there is taken from that folder.
TEST(PickFolder, OpensAboveTheProductFoldersAndComposesTheChosenFolder) {
  std::wstring folder = L"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin";
  DialogUser user("program-files", "choose", "Common Files");

  const bool chosen = installer::PickFolder(folder, nullptr);

  ASSERT_EQ(user.Finish(), "ok");
  EXPECT_TRUE(chosen);
  EXPECT_EQ(Narrow(folder), "C:\\Program Files (x86)\\Common Files\\Veltra Company Ltd\\KOVO3Plugin\\");
}

TEST(PickFolder, AddsOnlyTheFoldersThatTheChosenFolderLacks) {
  const fs::path apps = L"C:\\kovo-picker\\Apps";
  for (const char* name : {"Veltra Company Ltd", "Tools", "KOVO3PluginData"}) fs::create_directories(apps / name);
  const struct {
    std::string caseName;
    std::string typed;
    std::string expected;
  } cases[] = {
      {"company-folder", "Veltra Company Ltd", "C:\\kovo-picker\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {"plain-folder", "Tools", "C:\\kovo-picker\\Apps\\Tools\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {"product-name-inside", "KOVO3PluginData", "C:\\kovo-picker\\Apps\\KOVO3PluginData"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caseName);
    std::wstring folder = L"C:\\kovo-picker\\Apps\\Veltra Company Ltd\\KOVO3Plugin";
    DialogUser user(c.caseName, "choose", c.typed);

    const bool chosen = installer::PickFolder(folder, nullptr);

    ASSERT_EQ(user.Finish(), "ok");
    EXPECT_TRUE(chosen);
    EXPECT_EQ(Narrow(folder), c.expected);
  }
}

TEST(PickFolder, CancellingLeavesTheShortenedStartFolder) {
  std::wstring folder = L"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin";
  DialogUser user("cancel", "cancel");

  const bool chosen = installer::PickFolder(folder, nullptr);

  ASSERT_EQ(user.Finish(), "ok");
  EXPECT_FALSE(chosen);
  EXPECT_EQ(Narrow(folder), "C:\\Program Files (x86)\\\\");
}

TEST(PickFolder, AStartFolderThatDoesNotExistGivesWayToProgramFiles) {
  std::wstring folder = L"C:\\nowhere\\Veltra Company Ltd\\KOVO3Plugin";
  DialogUser user("missing-start-folder", "cancel");

  const bool chosen = installer::PickFolder(folder, nullptr);

  ASSERT_EQ(user.Finish(), "ok");
  EXPECT_FALSE(chosen);
  EXPECT_EQ(Narrow(folder), "C:\\Program Files (x86)");
}

}  // namespace
