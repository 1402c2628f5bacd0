// The msiexec runs as an elevated program must make them: msiexec by its full
// path in the system folder, and no log of an earlier run left to be read as
// this run's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/error_catalogue.h"
#include "installer/msi_test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using kovo::testing::EngineRig;
using kovo::testing::FakeSystemServices;

namespace {

const char kProductCode[] = "{5D4B3A2C-1E0F-4A9B-8C7D-6E5F4A3B2C1D}";

// An earlier run's logs: a successful install and a removal.
void PlaceStaleLogs(const EngineRig& rig) {
  kovo::testing::WriteInstallerLog(rig.File("msi_install.log"),
                                   {kovo::testing::ActionEnded("INSTALL", "1")});
  kovo::testing::WriteInstallerLog(rig.File("msi_uninstall.log"),
                                   {kovo::testing::ActionEnded("INSTALL", "1")});
}

// Notes at each start which logs lie in the working folder.
class LogWatchingSystem : public FakeSystemServices {
 public:
  explicit LogWatchingSystem(const EngineRig& rig) : rig_(rig) {}
  std::vector<std::pair<bool, bool>> logsAtStart;  // (uninstall log, install log)
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters,
                           std::uint32_t* exitCode, bool wait) override {
    logsAtStart.emplace_back(fs::exists(rig_.File("msi_uninstall.log")),
                             fs::exists(rig_.File("msi_install.log")));
    return FakeSystemServices::RunProcess(program, parameters, exitCode, wait);
  }

 private:
  const EngineRig& rig_;
};

}  // namespace

TEST(MsiRunMends, MsiexecIsStartedByItsQuotedFullPathInTheSystemFolder) {
  EngineRig rig;
  kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "MSI");
  rig.Page().reinstall = true;
  rig.Page().productCode = kProductCode;
  rig.System().systemFolder = L"C:\\Windows\\System32";

  EXPECT_EQ(rig.Engine().RemoveAndInstall(), 0);
  ASSERT_EQ(rig.System().processCalls.size(), 2u);
  for (const auto& call : rig.System().processCalls) {
    EXPECT_EQ(call.program, L"\"C:\\Windows\\System32\\msiexec.exe\"");
  }
}

TEST(MsiRunMends, WithoutASystemFolderMsiexecIsNotStartedByBareName) {
  EngineRig rig;
  kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "MSI");
  rig.System().systemFolder.clear();
  EXPECT_EQ(rig.Engine().RemoveAndInstall(), installer::kResultFail);
  EXPECT_TRUE(rig.System().processCalls.empty());
}

TEST(MsiRunMends, EachLogOfAnEarlierRunIsRemovedRightBeforeTheRunThatWritesIt) {
  EngineRig rig;
  LogWatchingSystem system(rig);
  installer::ScopedSystemServices scoped(system);
  kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "MSI");
  PlaceStaleLogs(rig);
  rig.Page().reinstall = true;
  rig.Page().productCode = kProductCode;

  EXPECT_EQ(rig.Engine().RemoveAndInstall(), 0);
  // The removal starts without its old log but with the install's; the
  // install starts without either.
  EXPECT_EQ(system.logsAtStart,
            (std::vector<std::pair<bool, bool>>{{false, true}, {false, false}}));
}

TEST(MsiRunMends, AnInstallThatCannotStartIsNotExplainedByAnOldSuccessfulLog) {
  const struct {
    const char* name;
    std::uint32_t startError;
  } cases[] = {
      {"msiexec cannot be started", 2},
      {"msiexec ends before it writes its log", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kovo::testing::ProgramOptionsRestorer restorer;
    EngineRig rig;
    kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "MSI");
    PlaceStaleLogs(rig);
    // The old log on its own reads as a success.
    ASSERT_EQ(rig.Engine().AnalyzeMsiLog(), installer::kNoError);
    rig.System().processOutcomes = {{c.startError, 1603}};

    rig.Engine().RemoveAndInstall();

    EXPECT_FALSE(fs::exists(rig.File("msi_install.log")));
    EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), installer::kInstallFailed);
  }
}

TEST(MsiRunMends, WithInstallingSwitchedOffALogLyingThereIsAnalysed) {
  kovo::testing::ProgramOptionsRestorer restorer;
  EngineRig rig;
  kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "MSI");
  PlaceStaleLogs(rig);
  installer::ProgramOptions::Instance().SetInstallPackage(false);  // "-sI"

  EXPECT_EQ(rig.Engine().RemoveAndInstall(), installer::kResultFail);
  EXPECT_TRUE(rig.System().processCalls.empty());
  EXPECT_TRUE(fs::exists(rig.File("msi_install.log")));
  EXPECT_TRUE(fs::exists(rig.File("msi_uninstall.log")));
  EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), installer::kNoError);
}
