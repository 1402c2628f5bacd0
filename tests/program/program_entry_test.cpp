// The entry's steps, switches and exit codes against a scripted platform and
// the fake system services.
#include "main/program_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/program_options.h"
#include "installer/text_conversion.h"
#include "support/fake_system_services.h"
#include "support/test_support.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {
namespace {

using testing::FakeSystemServices;

class ScriptedPlatform final : public EntryPlatform {
 public:
  bool otherCopyShowsWindow = false;
  bool applicationCreated = true;
  int execResult = 0;

  std::vector<std::string> calls;
  std::wstring mutexName;
  std::wstring windowTitle;
  desktop::ui::imgui::ApplicationCreateInfo info;
  int languageAtCreation = -1;

  bool IsAnotherInstanceRunning(const std::wstring& mutex, const std::wstring& title) override {
    calls.push_back("instance");
    mutexName = mutex;
    windowTitle = title;
    return otherCopyShowsWindow;
  }
  void RecordHistoryStart() override { calls.push_back("history-start"); }
  void CompleteHistory() override { calls.push_back("history-complete"); }
  bool CreateApplication(desktop::ui::imgui::ApplicationCreateInfo&& created) override {
    calls.push_back("create");
    info = created;
    languageAtCreation = CurrentLanguage();
    return applicationCreated;
  }
  int ExecApplication() override {
    calls.push_back("exec");
    return execResult;
  }
  void ExplainMissingApplication() override { calls.push_back("explain"); }
};

// Runs the entry with a command line whose first element is the program.
int RunEntry(ScriptedPlatform& platform, std::vector<std::wstring> arguments) {
  arguments.insert(arguments.begin(), L"C:\\Downloads\\kovoplugin-setup-web.exe");
  std::vector<const wchar_t*> values;
  for (const auto& argument : arguments) values.push_back(argument.c_str());
  return RunProgramEntry(static_cast<int>(values.size()), values.data(), platform);
}

class ProgramEntry : public ::testing::Test {
 protected:
  ProgramEntry() : scoped_(services_) {
    services_.environment[L"TMP"] = (temp_.Path() / "Temp").wstring();
    std::filesystem::create_directories(temp_.Path() / "Temp");
  }
  ~ProgramEntry() override {
    auto& options = ProgramOptions::Instance();
    options.SetCheckEnvironment(true);
    options.SetDownloadPackage(true);
    options.SetInstallPackage(true);
    options.SetAnalyzeInstallLog(true);
    SetLanguage(kLanguageRussian);
  }

  std::filesystem::path LogFolderPath() const {
    return (temp_.Path() / "Temp").wstring() + L"\\KovoPlugin.Installer";
  }
  std::filesystem::path LogFilePath() const {
    return LogFolderPath().wstring() + L"\\web_setup.log";
  }

  testing::LogCapture restoresLogFile_;
  testing::TempFolder temp_;
  FakeSystemServices services_;
  ScopedSystemServices scoped_;
};

TEST(StageSwitchesTest, OnlyExactWholeArgumentsClearSwitches) {
  struct Case {
    std::vector<std::wstring> arguments;
    StageSwitches expected;
  };
  const StageSwitches allOn;
  const Case cases[] = {
      {{}, allOn},
      {{L"-sE"}, {false, true, true, true}},
      {{L"-sD"}, {true, false, true, true}},
      {{L"-sI"}, {true, true, false, true}},
      {{L"-sA"}, {true, true, true, false}},
      {{L"-se"}, allOn},
      {{L"-SE"}, allOn},
      {{L"/sE"}, allOn},
      {{L"sE"}, allOn},
      {{L"-sE "}, allOn},
      {{L" -sE"}, allOn},
      {{L"-sEsD"}, allOn},
      {{L"-sE -sD"}, allOn},
      {{L"--sE"}, allOn},
      {{L""}, allOn},
      {{L"-sE", L"-sE"}, {false, true, true, true}},
      {{L"-sI", L"unknown", L"-sD"}, {true, false, false, true}},
      {{L"-sA", L"-sI", L"-sD", L"-sE"}, {false, false, false, false}},
  };
  for (const Case& c : cases) {
    std::wstring shown;
    for (const auto& argument : c.arguments) shown += L"[" + argument + L"]";
    EXPECT_EQ(ReadStageSwitches(c.arguments), c.expected)
        << std::string(shown.begin(), shown.end());
  }
}

TEST(StageSwitchesTest, ArgumentListSkipsTheProgramPath) {
  const wchar_t* values[] = {L"-sE", L"-sD", nullptr};
  EXPECT_EQ(ArgumentList(2, values), std::vector<std::wstring>{L"-sD"});
  EXPECT_TRUE(ArgumentList(1, values).empty());
  EXPECT_TRUE(ArgumentList(0, nullptr).empty());
  EXPECT_EQ(ArgumentList(3, values), (std::vector<std::wstring>{L"-sD", L""}));
}

TEST_F(ProgramEntry, ExitCodesAndStepsPerOutcome) {
  struct Case {
    const char* situation;
    bool otherCopyShowsWindow;
    bool applicationCreated;
    int execResult;
    int exitCode;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"another copy shows its window", true, true, 0, kExitGaveWayToRunningCopy, {"instance"}},
      {"no application",
       false,
       false,
       0,
       kExitNoApplication,
       {"instance", "history-start", "create", "explain"}},
      {"no main controller",
       false,
       true,
       1,
       1,
       {"instance", "history-start", "create", "exec", "history-complete"}},
      {"ran to its end",
       false,
       true,
       0,
       0,
       {"instance", "history-start", "create", "exec", "history-complete"}},
  };
  for (const Case& c : cases) {
    ScriptedPlatform platform;
    platform.otherCopyShowsWindow = c.otherCopyShowsWindow;
    platform.applicationCreated = c.applicationCreated;
    platform.execResult = c.execResult;
    EXPECT_EQ(RunEntry(platform, {}), c.exitCode) << c.situation;
    EXPECT_EQ(platform.calls, c.calls) << c.situation;
  }
}

TEST_F(ProgramEntry, SingleInstanceIsAskedWithTheMutexAndTheWindowTitle) {
  ScriptedPlatform platform;
  RunEntry(platform, {});
  EXPECT_EQ(platform.mutexName, L"KovoPlugin-Web-Installer");
  EXPECT_EQ(platform.windowTitle, ToWide("КОВО Плагин"));
}

TEST_F(ProgramEntry, GivingWayLeavesNoLogAndClearsNoSwitch) {
  ScriptedPlatform platform;
  platform.otherCopyShowsWindow = true;
  RunEntry(platform, {L"-sE", L"-sA"});
  EXPECT_FALSE(std::filesystem::exists(LogFolderPath()));
  EXPECT_TRUE(ProgramOptions::Instance().CheckEnvironment());
  EXPECT_TRUE(ProgramOptions::Instance().AnalyzeInstallLog());
}

TEST_F(ProgramEntry, FailedCreationIsLoggedInTheTemporaryFolder) {
  ScriptedPlatform platform;
  platform.applicationCreated = false;
  RunEntry(platform, {});
  const std::string log = testing::ReadFile(LogFilePath());
  EXPECT_NE(log.find("DEBUG"), std::string::npos);
  EXPECT_NE(log.find("Could not instantiate Application"), std::string::npos);
}

TEST_F(ProgramEntry, SwitchesReachTheProgramOptionsBeforeTheApplication) {
  ScriptedPlatform platform;
  RunEntry(platform, {L"-sD", L"-sI"});
  const auto& options = ProgramOptions::Instance();
  EXPECT_TRUE(options.CheckEnvironment());
  EXPECT_FALSE(options.DownloadPackage());
  EXPECT_FALSE(options.InstallPackage());
  EXPECT_TRUE(options.AnalyzeInstallLog());
}

TEST_F(ProgramEntry, CreationParametersChangeOnlyTitleDriverAndMode) {
  ScriptedPlatform platform;
  RunEntry(platform, {});
  const auto& info = platform.info;
  EXPECT_EQ(info.gui.window.title, "kovoplugin-setup-web");
  EXPECT_EQ(info.gui.device.driver, 1);
  EXPECT_FALSE(info.wait_events);
  EXPECT_EQ(info.gui.window.size.width, 1024);
  EXPECT_EQ(info.gui.window.size.height, 768);
  EXPECT_TRUE(info.gui.window.vsync);
  EXPECT_FALSE(info.gui.device.debug);
}

TEST_F(ProgramEntry, LanguageIsFixedBeforeTheApplicationIsCreated) {
  struct Case {
    std::uint16_t languageId;
    int language;
  };
  for (const Case c :
       {Case{1033, kLanguageEnglish}, Case{1049, kLanguageRussian}, Case{2057, kLanguageRussian}}) {
    SetLanguage(kLanguageRussian);  // the value a process starts with
    services_.languageId = c.languageId;
    ScriptedPlatform platform;
    RunEntry(platform, {});
    EXPECT_EQ(platform.languageAtCreation, c.language) << c.languageId;
  }
}

TEST_F(ProgramEntry, LogFolderIsCreatedOnceAndAnExistingOneIsKept) {
  ScriptedPlatform platform;
  RunEntry(platform, {});
  ASSERT_TRUE(std::filesystem::is_directory(LogFolderPath()));
  testing::WriteFile(LogFolderPath() / "kept.txt", "kept");
  ScriptedPlatform second;
  EXPECT_EQ(RunEntry(second, {}), 0);
  EXPECT_EQ(testing::ReadFile(LogFolderPath() / "kept.txt"), "kept");
}

TEST_F(ProgramEntry, UnwritableLogFolderDoesNotStopTheProgram) {
  services_.failingFolders[LogFolderPath().wstring()] = 5;  // access denied
  ScriptedPlatform platform;
  platform.execResult = 0;
  EXPECT_EQ(RunEntry(platform, {}), 0);
  EXPECT_FALSE(std::filesystem::exists(LogFolderPath()));
  EXPECT_EQ(platform.calls.back(), "history-complete");
}

TEST(MissingShaderCompilerMessageTest, NamesTheLibraryAndTheUpdateInBothLanguages) {
  for (int language : {kLanguageRussian, kLanguageEnglish}) {
    const auto message = MissingShaderCompilerMessage(language);
    EXPECT_NE(message.text.find("D3DCompiler_47.dll"), std::string::npos) << language;
    EXPECT_NE(message.text.find("KB4019990"), std::string::npos) << language;
    // A box titled like the installer's window would make the next start
    // give way to this broken copy instead of running.
    EXPECT_NE(message.title, "КОВО Плагин") << language;
    EXPECT_FALSE(message.title.empty()) << language;
  }
  EXPECT_NE(MissingShaderCompilerMessage(kLanguageRussian).text,
            MissingShaderCompilerMessage(kLanguageEnglish).text);
  EXPECT_NE(MissingShaderCompilerMessage(kLanguageRussian).text.find("Установите обновление"),
            std::string::npos);
}

}  // namespace
}  // namespace kovo::plugin::web::installer
