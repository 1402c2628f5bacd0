// The msiexec runs that remove an installed copy and install the downloaded
// package, against a fake operating system that records every command line.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "installer/error_catalogue.h"
#include "installer/msi_test_support.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using installer::AutoRunTypes;
using installer::InstallTypes;
using installer::PageData;
using kovo::testing::EngineRig;
using kovo::testing::FakeSystemServices;

namespace {

const wchar_t kDefaultFolder[] = L"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin";
const wchar_t kProductCode[] = L"{5D4B3A2C-1E0F-4A9B-8C7D-6E5F4A3B2C1D}";

std::wstring Replaced(std::wstring text, const std::wstring& placeholder, const std::wstring& value) {
  for (size_t at = text.find(placeholder); at != std::wstring::npos; at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
  return text;
}

// "@DIR@" stands for the working folder, "@MSI@" for the package in it.
std::wstring Expanded(const std::wstring& pattern, const EngineRig& rig) {
  return Replaced(Replaced(pattern, L"@MSI@", rig.File("kovo3plugin-setup.msi").wstring()), L"@DIR@",
                  rig.Folder().wstring());
}

void PlacePackage(const EngineRig& rig) { kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "MSI"); }

std::string Narrow(const std::wstring& text) { return fs::path(text).u8string(); }

}  // namespace

TEST(RemoveAndInstall, TurnsTheChosenConfigurationIntoMsiexecCommandLines) {
  const std::wstring removal = L"/x{5D4B3A2C-1E0F-4A9B-8C7D-6E5F4A3B2C1D} /qn /l*v \"@DIR@\\msi_uninstall.log\"";
  const std::wstring logTail = L"/qn /l*v \"@DIR@\\msi_install.log\"";
  const std::wstring defaults = std::wstring(L"/i \"@MSI@\" INSTALLLOCATION=\"") + kDefaultFolder +
                                L"\" CREATE_LINK_ONLINE=1 APP_AUTORUN=1 APP_AUTORUN_TYPE=1 ";
  const struct {
    const char* name;
    std::function<void(PageData&)> choose;
    std::vector<std::wstring> expected;
  } cases[] = {
      {"recommended with the defaults", [](PageData&) {}, {defaults + L" " + logTail}},
      {"min leaves the features to the package",
       [](PageData& page) { page.installType = InstallTypes::Min; },
       {defaults + L" " + logTail}},
      {"full", [](PageData& page) { page.installType = InstallTypes::Full; }, {defaults + L"INSTALLLEVEL=3 " + logTail}},
      {"custom with two components",
       [](PageData& page) {
         page.installType = InstallTypes::Custom;
         page.components = {"a", "b"};
       },
       {defaults + L"ADDLOCAL=BaseFeature,Basiccomponents,a,b " + logTail}},
      {"custom without components",
       [](PageData& page) { page.installType = InstallTypes::Custom; },
       {defaults + L"ADDLOCAL=BaseFeature,Basiccomponents " + logTail}},
      {"both flags off, start for all users",
       [](PageData& page) {
         page.desktopShortcut = false;
         page.autoRun = false;
         page.autoRunType = AutoRunTypes::AllUsers;
       },
       {std::wstring(L"/i \"@MSI@\" INSTALLLOCATION=\"") + kDefaultFolder +
        L"\" CREATE_LINK_ONLINE=  APP_AUTORUN=  APP_AUTORUN_TYPE=2  " + logTail}},
      {"reinstall with a product code removes first",
       [](PageData& page) {
         page.reinstall = true;
         page.productCode = Narrow(kProductCode);
       },
       {removal, defaults + L" " + logTail}},
      {"reinstall without a product code only installs",
       [](PageData& page) { page.reinstall = true; },
       {defaults + L" " + logTail}},
      {"an installed copy is not removed unless asked",
       [](PageData& page) { page.productCode = Narrow(kProductCode); },
       {defaults + L" " + logTail}},
      {"Cyrillic folder and component names reach msiexec intact",
       [](PageData& page) {
         page.installPath = "D:\\Программы\\КОВО Плагин";
         page.installType = InstallTypes::Custom;
         page.components = {"Подпись", "b"};
       },
       {L"/i \"@MSI@\" INSTALLLOCATION=\"D:\\Программы\\КОВО Плагин\" CREATE_LINK_ONLINE=1 APP_AUTORUN=1 "
        L"APP_AUTORUN_TYPE=1 ADDLOCAL=BaseFeature,Basiccomponents,Подпись,b " +
        logTail}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    PlacePackage(rig);
    c.choose(rig.Page());

    EXPECT_EQ(rig.Engine().RemoveAndInstall(), 0);

    const auto& calls = rig.System().processCalls;
    ASSERT_EQ(calls.size(), c.expected.size());
    for (size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].program, L"\"C:\\Windows\\system32\\msiexec.exe\"");
      EXPECT_TRUE(calls[i].wait);
      EXPECT_EQ(calls[i].parameters, Expanded(c.expected[i], rig));
    }
  }
}

TEST(RemoveAndInstall, ReturnsTheInstallRunsExitCodeWhateverTheRemovalDid) {
  using Outcome = FakeSystemServices::ProcessOutcome;
  const installer::Result kFail = installer::kResultFail;
  const struct {
    const char* name;
    bool reinstall;
    std::vector<Outcome> outcomes;
    installer::Result expected;
    size_t runs;
  } cases[] = {
      {"install succeeds", false, {{0, 0}}, 0, 1},
      {"install fails", false, {{0, 1603}}, 1603, 1},
      {"install asks for a restart", false, {{0, 3010}}, 3010, 1},
      {"install crashes: the code stays signed", false, {{0, 0xC0000005u}}, static_cast<installer::Result>(0xC0000005u), 1},
      {"removal finds nothing to remove", true, {{0, 1605}, {0, 0}}, 0, 2},
      {"removal fails and so does the install", true, {{0, 1603}, {0, 1638}}, 1638, 2},
      {"removal fails, the install succeeds", true, {{0, 1603}, {0, 0}}, 0, 2},
      {"removal cannot start: no install run", true, {{2, 0}}, kFail, 1},
      {"install cannot start", false, {{2, 0}}, kFail, 1},
      {"install cannot start after a removal", true, {{0, 0}, {5, 0}}, kFail, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    PlacePackage(rig);
    rig.Page().reinstall = c.reinstall;
    rig.Page().productCode = Narrow(kProductCode);
    rig.System().processOutcomes.assign(c.outcomes.begin(), c.outcomes.end());

    EXPECT_EQ(rig.Engine().RemoveAndInstall(), c.expected);
    EXPECT_EQ(rig.System().processCalls.size(), c.runs);
  }
}

TEST(RemoveAndInstall, LogsTheExactCommandLinesAndTheExitCode) {
  EngineRig rig;
  PlacePackage(rig);
  rig.Page().reinstall = true;
  rig.Page().productCode = Narrow(kProductCode);
  rig.System().processOutcomes = {{0, 1605}, {0, 0xFFFFFFFFu}};
  kovo::testing::LogCapture log;

  EXPECT_EQ(rig.Engine().RemoveAndInstall(), -1);

  const std::string folder = rig.Folder().u8string();
  const std::string package = rig.File("kovo3plugin-setup.msi").u8string();
  EXPECT_EQ(log.Messages(),
            (std::vector<std::string>{
                "MSI uninstall params:/x{5D4B3A2C-1E0F-4A9B-8C7D-6E5F4A3B2C1D} /qn /l*v \"" + folder +
                    "\\msi_uninstall.log\"",
                "MSI install params: /i \"" + package +
                    "\" INSTALLLOCATION=\"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin\" "
                    "CREATE_LINK_ONLINE=1 APP_AUTORUN=1 APP_AUTORUN_TYPE=1  /qn /l*v \"" +
                    folder + "\\msi_install.log\"",
                "MSI exit code: -1",
            }));
}

namespace {

// An operating system whose process start raises instead of failing.
class RaisingSystem : public FakeSystemServices {
 public:
  size_t raiseOnCall = 0;  // 1-based
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters, std::uint32_t* exitCode,
                           bool wait) override {
    const auto result = FakeSystemServices::RunProcess(program, parameters, exitCode, wait);
    if (processCalls.size() == raiseOnCall) throw std::runtime_error("no resources");
    return result;
  }
};

}  // namespace

TEST(RemoveAndInstall, AnErrorWhilePreparingARunHasItsOwnResult) {
  const struct {
    const char* name;
    std::string productCode;
    std::string installPath;
    size_t raiseOnCall;
    installer::Result expected;
    size_t runs;
    const char* record;
  } cases[] = {
      {"removal: product code that is not UTF-8", "{5D4B\xFF}", kovo::plugin::web::installer::kDefaultInstallPath, 0,
       11, 0, "Can't uninstall plugin"},
      {"removal: the start raises", Narrow(kProductCode), installer::kDefaultInstallPath, 1, 11, 1,
       "Can't uninstall plugin"},
      {"install: folder that is not UTF-8", Narrow(kProductCode), "D:\\\xC3", 0, 12, 1, "Can't install plugin"},
      {"install: the start raises", Narrow(kProductCode), installer::kDefaultInstallPath, 2, 12, 2,
       "Can't install plugin"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    RaisingSystem system;
    system.raiseOnCall = c.raiseOnCall;
    installer::ScopedSystemServices useRaisingSystem(system);
    PlacePackage(rig);
    rig.Page().reinstall = true;
    rig.Page().productCode = c.productCode;
    rig.Page().installPath = c.installPath;
    kovo::testing::LogCapture log;

    EXPECT_EQ(rig.Engine().RemoveAndInstall(), c.expected);

    EXPECT_EQ(system.processCalls.size(), c.runs);
    const auto messages = log.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), c.record);
    EXPECT_FALSE(log.Contains("MSI exit code"));
  }
}

TEST(RemoveAndInstall, RunsNothingWhenSwitchedOffOrWithoutAPackage) {
  kovo::testing::ProgramOptionsRestorer restoreOptions;
  {
    SCOPED_TRACE("install switch off");
    EngineRig rig;
    PlacePackage(rig);
    installer::ProgramOptions::Instance().SetInstallPackage(false);
    kovo::testing::LogCapture log;
    EXPECT_EQ(rig.Engine().RemoveAndInstall(), installer::kResultFail);
    EXPECT_TRUE(rig.System().processCalls.empty());
    EXPECT_EQ(log.RawText(), "");
    installer::ProgramOptions::Instance().SetInstallPackage(true);
  }
  {
    // Nothing installed must not read as a successful installation, whatever
    // log an earlier run left behind.
    SCOPED_TRACE("package missing");
    EngineRig rig;
    rig.Page().reinstall = true;
    rig.Page().productCode = Narrow(kProductCode);
    const installer::Result result = rig.Engine().RemoveAndInstall();
    EXPECT_TRUE(rig.System().processCalls.empty());
    EXPECT_EQ(result, 12);
    EXPECT_EQ(installer::KindExitCodes.count(result), 1u) << "the result is itself the failure kind";
  }
}
