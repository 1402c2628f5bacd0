// Explaining a failed installation from the Windows Installer log: small
// hand-made logs in the Russian wording, written as UTF-16 little-endian.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/controller/utf16_line_reader.h"
#include "installer/msi_test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using kovo::testing::ActionEnded;
using kovo::testing::EngineRig;
using kovo::testing::PlainLine;
using kovo::testing::Utf16Le;

namespace {

using Lines = std::vector<std::string>;

Lines Plain(int count, int first = 0) {
  Lines lines;
  for (int i = 0; i < count; ++i) lines.push_back(PlainLine(first + i));
  return lines;
}

Lines Joined(std::initializer_list<Lines> parts) {
  Lines all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::int32_t Analyse(const Lines& lines, bool byteOrderMark = false) {
  EngineRig rig;
  kovo::testing::WriteInstallerLog(rig.File("msi_install.log"), lines, byteOrderMark);
  return rig.Engine().AnalyzeMsiLog();
}

std::int32_t AnalyseBytes(const std::string& bytes) {
  EngineRig rig;
  kovo::testing::WriteFile(rig.File("msi_install.log"), bytes);
  return rig.Engine().AnalyzeMsiLog();
}

// A failed action whose log line `distance` lines before it holds `text`.
Lines FailureWithTextBefore(const std::string& text, int distance) {
  return Joined({Plain(30), {"MSI (s) (1C:2C): Примечание: " + text + ". Подробности ниже."}, Plain(distance - 1, 40),
                 {ActionEnded("InstallFinalize", "3")}});
}

}  // namespace

TEST(MsiLogAnalysis, EachKnownErrorTextGivesItsKind) {
  const struct {
    std::string text;
    std::int32_t kind;
  } cases[] = {
      {"ExecServiceConfig:  Error 0x80070003", 101},
      {"WaitForAfterInstall.Error", 100},
      {"Код ошибки: 2203", 2203},
      {"Код ошибки: 2502", 2203},
      {"Код ошибки: 2503", 2203},
      {"Код ошибки: 26352", 26352},
      {"Код ошибки: 2755", 2755},
      {"Код ошибки: 2906", 2755},
      {"Ошибка 1303", 1303},
      {"Ошибка 1316", 1316},
      {"Ошибка 1335", 1335},
      {"Ошибка 1336", 1336},
      {"Ошибка 1714", 1714},
      {"Ошибка 1923", 1923},
      {"Ошибка 1925", 1925},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Analyse(FailureWithTextBefore(c.text, 3)), c.kind);
  }
  // One blank after the colon is another text.
  EXPECT_EQ(Analyse(FailureWithTextBefore("ExecServiceConfig: Error 0x80070003", 3)), 1);
}

TEST(MsiLogAnalysis, FindsTheCauseOfTheFirstExplainedFailure) {
  const std::string failed = ActionEnded("InstallFinalize", "3");
  const struct {
    const char* name;
    Lines lines;
    std::int32_t kind;
  } cases[] = {
      {"the first key in byte order wins within a line",
       {PlainLine(1), "Ошибка 1303. WaitForAfterInstall.Error", failed}, 100},
      {"... whatever its position in the line",
       {"Ошибка 1303; ExecServiceConfig:  Error 0x80070003", failed}, 101},
      {"the nearer line wins", {"Ошибка 1303", "Ошибка 1925", PlainLine(1), failed}, 1925},
      {"the text 22 lines before the failure is found", FailureWithTextBefore("Ошибка 1925", 22), 1925},
      {"the text 23 lines before the failure is out of reach", FailureWithTextBefore("Ошибка 1925", 23), 1},
      {"22 lines before, after a long log", Joined({Plain(5000), FailureWithTextBefore("Ошибка 1336", 22)}), 1336},
      {"23 lines before, after a long log", Joined({Plain(5000), FailureWithTextBefore("Ошибка 1336", 23)}), 1},
      {"lines that end other actions count for the reach",
       Joined({{"Ошибка 1925", ActionEnded("CostFinalize", "1")}, Plain(21), {failed}}), 1},
      {"a text after the failure does not explain it", {failed, "Ошибка 1925"}, 1},
      {"a failure without a known text, then one with a text",
       Joined({{"Ошибка 1923"}, Plain(30), {ActionEnded("StartServices", "3")}, Plain(2),
               {"Ошибка 1925", ActionEnded("InstallFinalize", "3")}}),
       1925},
      {"a failure with a text ends the reading",
       {"Ошибка 1303", ActionEnded("CreateFolders", "3"), "Ошибка 1925", failed}, 1303},
      {"an explained failure after other actions",
       {ActionEnded("CostInitialize", "1"), "Ошибка 1714", ActionEnded("RemoveExistingProducts", "3"),
        ActionEnded("INSTALL", "3")},
       1714},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Analyse(c.lines), c.kind);
  }
}

TEST(MsiLogAnalysis, TellsSuccessFromFailureWithoutAKnownText) {
  const struct {
    const char* name;
    Lines lines;
    std::int32_t kind;
  } cases[] = {
      {"every action ended with 1", {ActionEnded("CostInitialize", "1"), PlainLine(1), ActionEnded("INSTALL", "1")}, 0},
      {"only 3 is a failure", {ActionEnded("A", "0"), ActionEnded("B", "2"), ActionEnded("C", "4")}, 0},
      {"a failure without a known text", Joined({Plain(40), {ActionEnded("InstallFinalize", "3")}}), 1},
      {"an action that failed and later ended well stays failed",
       {ActionEnded("INSTALL", "3"), ActionEnded("INSTALL", "1")}, 1},
      {"no return value at all: an English log",
       {"Action ended 12:34:56: INSTALL. Return value 3.", "Ошибка 1925"}, 6},
      {"an empty log", {}, 6},
      {"a marker without a digit after it is no return value",
       {"Ошибка 1925", "Действие завершено 12:34:56: INSTALL. Код возврата X.", "Код возврата", "Код возврата "},
       6},
      {"a marker line without colon or full stop still counts", {"Код возврата 1"}, 0},
      {"a failed marker line without colon or full stop", {"Ошибка 1925", "Код возврата 3"}, 1925},
      {"a colon right before the marker", {"Ошибка 1303", "x:Код возврата 3"}, 1303},
      {"lines without a return value still count for the reach",
       Joined({{"Ошибка 1925", "Код возврата ?"}, Plain(21), {ActionEnded("INSTALL", "3")}}), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Analyse(c.lines), c.kind);
  }
}

TEST(MsiLogAnalysis, ReadsTheFileAsMsiexecMayHaveWrittenIt) {
  const std::string failed = ActionEnded("InstallFinalize", "3");
  const std::string knownText = Utf16Le("Ошибка 1925. Требуются права\r\n");
  std::string twentyOnePlainLines;
  for (int i = 0; i < 21; ++i) twentyOnePlainLines += Utf16Le(PlainLine(i) + "\r\n");
  const struct {
    const char* name;
    std::string bytes;
    std::int32_t kind;
  } cases[] = {
      {"a byte-order mark before the marker line", Utf16Le("\xEF\xBB\xBF" + ActionEnded("INSTALL", "1") + "\r\n"), 0},
      {"a byte-order mark before a known text",
       Utf16Le("\xEF\xBB\xBF" "Ошибка 1925\r\n" + failed + "\r\n"), 1925},
      {"line feeds without carriage returns", Utf16Le("Ошибка 1335\n" + failed + "\n"), 1335},
      {"the last line without a line end", knownText + Utf16Le(failed), 1925},
      {"a lone high surrogate inside the known text's line",
       Utf16Le("Ошибка 1925") + std::string("\x00\xD8", 2) + Utf16Le(" и\r\n" + failed + "\r\n"), 1925},
      {"a lone low surrogate starting a line",
       std::string("\x00\xDC", 2) + knownText + Utf16Le(failed + "\r\n"), 1925},
      {"a line of nothing but broken units still counts for the reach",
       Utf16Le("Ошибка 1925\r\n") + std::string("\x00\xD8\x00\xD8\r\0\n\0", 8) + twentyOnePlainLines +
           Utf16Le(failed + "\r\n"),
       1},
      {"an odd byte at the end", knownText + Utf16Le(failed + "\r\n") + "\x01", 1925},
      {"text after a NUL character", Utf16Le("x") + std::string("\0\0", 2) + Utf16Le(" Ошибка 1925\r\n" + failed),
       1925},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AnalyseBytes(c.bytes), c.kind);
  }
}

TEST(MsiLogAnalysis, KeepsReadingPastAnOverlongLine) {
  const std::string longLine(installer::Utf16LeLineReader::kMaxLineUnits + 5000, 'x');
  EXPECT_EQ(Analyse({"Ошибка 1923 " + longLine, ActionEnded("InstallServices", "3")}), 1923);
  EXPECT_EQ(Analyse({longLine + " Ошибка 1923", ActionEnded("InstallServices", "3")}), 1)
      << "the part beyond the longest line kept is not searched";
  EXPECT_EQ(Analyse({longLine, "Ошибка 1923", ActionEnded("InstallServices", "3")}), 1923);
}

TEST(MsiLogAnalysis, AnswersOneWhenTheLogCannotBeReadOrIsNotWanted) {
  kovo::testing::ProgramOptionsRestorer restoreOptions;
  {
    SCOPED_TRACE("no log file");
    EngineRig rig;
    EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1);
  }
  {
    SCOPED_TRACE("a folder in the log's place");
    EngineRig rig;
    fs::create_directory(rig.File("msi_install.log"));
    EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1);
  }
  {
    SCOPED_TRACE("analysis switched off");
    EngineRig rig;
    kovo::testing::WriteInstallerLog(rig.File("msi_install.log"), {"Ошибка 1925", ActionEnded("INSTALL", "3")});
    installer::ProgramOptions::Instance().SetAnalyzeInstallLog(false);
    EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1);
    installer::ProgramOptions::Instance().SetAnalyzeInstallLog(true);
    EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1925);
  }
}

TEST(MsiLogAnalysis, LogsItsWayToTheResult) {
  EngineRig rig;
  kovo::testing::WriteInstallerLog(rig.File("msi_install.log"),
                                   {ActionEnded("CostFinalize", "1"), "Ошибка 1925. Требуются права", "Строка 50%",
                                    ActionEnded("InstallFinalize", "3"), "не читается"});
  kovo::testing::LogCapture log;

  EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1925);

  EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                "Search return codes",
                                "action: CostFinalize",
                                "Line with error: 3",
                                "Строка 50%%",
                                "Ошибка 1925. Требуются права",
                                "action: InstallFinalize",
                                "Return code: 1925",
                            }));
}

TEST(MsiLogAnalysis, ExplainsRealisticLogs) {
  // Wine runs name the tree in its Windows form; native runs may lack the
  // variable, and the build's own path serves them.
  const char* sourceDir = std::getenv("KOVO_SOURCE_DIR");
  const fs::path fixtures = sourceDir ? fs::path(sourceDir) / "tests" / "fixtures" / "msi-logs"
                                      : fs::path(KOVO_MSI_LOG_FIXTURES);
  const struct {
    const char* file;
    std::int32_t kind;
  } cases[] = {
      {"service-install-denied.log", 1923},
      {"successful-install.log", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EngineRig rig;
    fs::copy_file(fixtures / c.file, rig.File("msi_install.log"));
    EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), c.kind);
  }
}
