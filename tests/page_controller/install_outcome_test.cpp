// How an installation run ends, from the results of its steps.
#include "installer/controller/install_outcome.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "installer/error_catalogue.h"

namespace installer = kovo::plugin::web::installer;
using installer::ErrorKind;
using installer::InstallOutcome;
using installer::PageStage;
using installer::Result;

namespace {

struct OutcomeCase {
  const char* name;
  Result download;
  bool proceed;                  // PageData.proceed when the download returned
  Result exitCode;               // RemoveAndInstall, when the download succeeded
  std::optional<ErrorKind> log;  // what the log analysis finds; empty: it must not be asked
  PageStage stage;
  ErrorKind kind;
  const char* history;
};

// clang-format off
const OutcomeCase kOutcomeCases[] = {
  {"ExitCodeZeroIsSuccess",               installer::kResultOk, true, 0, std::nullopt,
   PageStage::Success, installer::kNoError, "OK"},
  {"PackageNotOpenedNeedsNoLog",          installer::kResultOk, true, 1620, std::nullopt,
   PageStage::Failure, installer::kPackageDamaged, "ERROR: 1620"},
  {"RemovalNotPreparedNeedsNoLog",        installer::kResultOk, true, 11, std::nullopt,
   PageStage::Failure, installer::kRemovalNotPrepared, "ERROR: 11"},
  {"InstallNotPreparedNeedsNoLog",        installer::kResultOk, true, 12, std::nullopt,
   PageStage::Failure, installer::kInstallNotPrepared, "ERROR: 12"},
  {"RestartRequiredWithACleanLog",        installer::kResultOk, true, 3010, installer::kNoError,
   PageStage::Success, installer::kNoError, "OK"},
  {"RestartStartedWithACleanLog",         installer::kResultOk, true, 1641, installer::kNoError,
   PageStage::Success, installer::kNoError, "OK"},
  {"RestartRequiredWithAFailedAction",    installer::kResultOk, true, 3010, 1925,
   PageStage::Failure, 1925, "ERROR: 1925"},
  {"FatalErrorExplainedByTheLog",         installer::kResultOk, true, 1603, 2755,
   PageStage::Failure, 2755, "ERROR: 2755"},
  {"FatalErrorWithAnUnknownCause",        installer::kResultOk, true, 1603, installer::kInstallFailed,
   PageStage::Failure, installer::kInstallFailed, "ERROR: 1"},
  {"LogWithoutActionResults",             installer::kResultOk, true, 1627, installer::kNoActionResults,
   PageStage::Failure, installer::kNoActionResults, "ERROR: 6"},
  // "-sI": nothing ran; a log put in place beforehand explains the run.
  {"SkippedInstallWithAPlacedLog",        installer::kResultOk, true, installer::kResultFail, 1303,
   PageStage::Failure, 1303, "ERROR: 1303"},
  // A failure whose log shows no failed action installed nothing: never the success page.
  {"SkippedInstallWithACleanLog",         installer::kResultOk, true, installer::kResultFail, installer::kNoError,
   PageStage::Failure, installer::kInstallFailed, "ERROR: 1"},
  {"FatalErrorWithACleanLog",             installer::kResultOk, true, 1603, installer::kNoError,
   PageStage::Failure, installer::kInstallFailed, "ERROR: 1"},
  {"DownloadFailed",                      installer::kResultFail, true, 0, std::nullopt,
   PageStage::Failure, installer::kDownloadFailed, ""},
  {"DownloadCancelled",                   installer::kResultAbort, false, 0, std::nullopt,
   PageStage::Options, installer::kNoError, ""},
  // A download that failed while the user confirmed a cancel: the cancel wins.
  {"DownloadFailedDuringACancel",         installer::kResultFail, false, 0, std::nullopt,
   PageStage::Options, installer::kNoError, ""},
};
// clang-format on

void PrintTo(const OutcomeCase& row, std::ostream* out) { *out << row.name; }

class InstallOutcomeOf : public ::testing::TestWithParam<OutcomeCase> {};

// The worker's way through both decisions.
std::optional<InstallOutcome> Decide(const OutcomeCase& row, int& analyses) {
  if (auto outcome = installer::OutcomeOfDownload(row.download, row.proceed)) return outcome;
  return installer::OutcomeOfInstall(row.exitCode, [&] {
    ++analyses;
    return row.log.value_or(-1);
  });
}

}  // namespace

TEST_P(InstallOutcomeOf, Run) {
  const OutcomeCase& row = GetParam();
  int analyses = 0;
  const auto outcome = Decide(row, analyses);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->stage, row.stage);
  EXPECT_EQ(outcome->errorKind, row.kind);
  EXPECT_EQ(outcome->historyResult, row.history);
  EXPECT_EQ(analyses, row.log ? 1 : 0)
      << "the log is read only for a run the exit code leaves unexplained";
}

INSTANTIATE_TEST_SUITE_P(Table, InstallOutcomeOf, ::testing::ValuesIn(kOutcomeCases),
                         [](const ::testing::TestParamInfo<OutcomeCase>& info) {
                           return info.param.name;
                         });

TEST(InstallOutcome, ASuccessfulDownloadGoesOnToTheInstall) {
  EXPECT_FALSE(installer::OutcomeOfDownload(installer::kResultOk, true));
  // A cancel confirmed after the last block came too late to stop anything.
  EXPECT_FALSE(installer::OutcomeOfDownload(installer::kResultOk, false));
}

TEST(InstallOutcome, EveryKindItCanGiveHasTextsInTheCatalogue) {
  for (const auto& row : kOutcomeCases) {
    int analyses = 0;
    const auto outcome = Decide(row, analyses);
    EXPECT_EQ(installer::ErrorCatalogue.count(outcome->errorKind), 1u) << row.name;
  }
}
