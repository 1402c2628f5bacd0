// The msiexec runs end to end under Wine: the package comes from the local
// update server through the installer's own download, and the installer's
// command lines go to Wine's real msiexec through the installer's own system
// services. What msiexec did is checked in the real registry and file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "installer/component_catalogue.h"
#include "installer/error_catalogue.h"
#include "installer/msi_test_support.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "kovo_settings.h"
#include "stand-in/update_server_process.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using kovo::testing::EngineRig;
using kovo::testing::RigSystem;
using kovo::testing::UpdateServerProcess;

namespace {

// ---------------------------------------------------------------------------
// What the stand-in package leaves on the computer
// ---------------------------------------------------------------------------

constexpr wchar_t kPluginKey[] = L"SOFTWARE\\Veltra Company Ltd\\KOVO3Plugin";
constexpr wchar_t kUninstallList[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kProductName[] = L"КОВО Плагин";

// The x64 package writes to the 64-bit view, which this x86_64 test reads.
std::wstring PluginValue(const wchar_t* name) {
  std::uint32_t error = 0;
  return installer::Services().ReadRegistryString(installer::RegistryRoot::LocalMachine, kPluginKey, name, L"",
                                                  &error, installer::kRegistryView64);
}

// The product code of the installed plugin, from its uninstall entry; empty
// when none is installed.
std::string InstalledProductCode() {
  auto& system = installer::Services();
  std::vector<std::wstring> entries;
  system.EnumerateSubKeys(installer::RegistryRoot::LocalMachine, kUninstallList, entries,
                          installer::kRegistryView64);
  for (const auto& entry : entries) {
    std::uint32_t error = 0;
    const std::wstring name = system.ReadRegistryString(installer::RegistryRoot::LocalMachine,
                                                        std::wstring(kUninstallList) + L"\\" + entry,
                                                        L"DisplayName", L"", &error, installer::kRegistryView64);
    if (name == kProductName) return installer::ToUtf8(entry);
  }
  return {};
}

std::set<std::string> InstalledFeatures(const fs::path& folder) {
  std::set<std::string> features;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder / "modules", ignored)) {
    if (entry.path().extension() == ".module") features.insert(entry.path().stem().string());
  }
  return features;
}

// What the installation worker makes of RemoveAndInstall's result.
std::int32_t FailureKindOf(installer::Result exitCode, installer::InstallerEngine& engine) {
  for (const auto& [code, kind] : installer::ExitCodeKinds) {
    if (code == exitCode) return kind;
  }
  if (installer::KindExitCodes.count(exitCode) != 0) return exitCode;
  return exitCode != 0 ? engine.AnalyzeMsiLog() : 0;
}

// ---------------------------------------------------------------------------
// Fixture: one update server for the program; every test leaves the plugin removed
// ---------------------------------------------------------------------------

class MsiexecUnderWine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    try {
      server_ = std::make_unique<UpdateServerProcess>();
    } catch (const std::exception& error) {
      serverProblem_ = error.what();
    }
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(server_) << "no update server: " << serverProblem_;
    rig_.Engine().SetUpdateServer({"127.0.0.1", server_->Port()});
  }

  void TearDown() override {
    KeepLogs();
    const std::string productCode = InstalledProductCode();
    if (productCode.empty()) return;
    std::uint32_t exitCode = 0;
    installer::Services().RunProcess(L"msiexec.exe", L"/x" + installer::ToWide(productCode) + L" /qn", &exitCode,
                                     true);
    EXPECT_TRUE(InstalledProductCode().empty()) << "the plugin stayed installed after the test";
  }

  void KeepLogs() const {
    const std::string prefix = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (const char* name : {"msi_uninstall.log", "msi_install.log"}) {
      std::error_code ignored;
      fs::copy_file(rig_.File(name), kovo::testing::ArtifactsDir() / (prefix + "-" + name),
                    fs::copy_options::overwrite_existing, ignored);
    }
  }

  installer::Result DownloadAndInstall() {
    const kovo::testing::LogCapture log;
    const installer::Result download = rig_.Engine().DownloadInstallPackage();
    EXPECT_EQ(download, installer::kResultOk) << log.RawText();
    return download == installer::kResultOk ? rig_.Engine().RemoveAndInstall() : download;
  }

  EngineRig rig_{RigSystem::Real};

  static inline std::unique_ptr<UpdateServerProcess> server_;
  static inline std::string serverProblem_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Tests
// ---------------------------------------------------------------------------

TEST_F(MsiexecUnderWine, RecommendedInstallEndsWithZeroAndThePackagesRegistryValues) {
  ASSERT_EQ(DownloadAndInstall(), 0);

  EXPECT_EQ(PluginValue(L"Path"), installer::ToWide(rig_.Page().installPath));
  EXPECT_EQ(PluginValue(L"Version"), installer::ToWide(kovo::settings::kPluginVersion));
  EXPECT_TRUE(fs::exists(fs::path(installer::ToWide(rig_.Page().installPath)) / "kovo3plugin.exe"));
  EXPECT_FALSE(fs::exists(rig_.File("msi_uninstall.log"))) << "nothing was to be removed";
  EXPECT_EQ(FailureKindOf(0, rig_.Engine()), 0);
}

TEST_F(MsiexecUnderWine, ReinstallRemovesTheInstalledCopyFirstAndInstallsAgain) {
  const std::string firstFolder = "C:\\Первая папка\\KOVO3Plugin";
  const std::string secondFolder = "C:\\Вторая папка\\KOVO3Plugin";
  rig_.Page().installPath = firstFolder;
  ASSERT_EQ(DownloadAndInstall(), 0);
  const std::string productCode = InstalledProductCode();
  ASSERT_FALSE(productCode.empty());

  rig_.Page().reinstall = true;
  rig_.Page().productCode = productCode;
  rig_.Page().installPath = secondFolder;
  ASSERT_EQ(rig_.Engine().RemoveAndInstall(), 0);

  EXPECT_TRUE(fs::exists(rig_.File("msi_uninstall.log")));
  // Without the removal msiexec would only maintain the copy already
  // installed, in its old folder; removed first, that folder is gone and the
  // new copy sits in the new one.
  EXPECT_FALSE(fs::exists(fs::path(installer::ToWide(firstFolder))));
  EXPECT_TRUE(fs::exists(fs::path(installer::ToWide(secondFolder)) / "kovo3plugin.exe"));
  EXPECT_EQ(PluginValue(L"Path"), installer::ToWide(secondFolder));
  EXPECT_EQ(InstalledProductCode(), productCode);
}

TEST_F(MsiexecUnderWine, CustomInstallWithTwoComponentsInstallsExactlyThoseFeatures) {
  rig_.Page().installType = installer::InstallTypes::Custom;
  rig_.Page().components =
      installer::ComponentsFromChecks({{"CryptoProvider_win", true}, {"WebDavGateway", true}});
  ASSERT_EQ(rig_.Page().components.size(), 2u);
  rig_.Page().installPath = "C:\\Custom\\KOVO3Plugin";

  ASSERT_EQ(DownloadAndInstall(), 0);

  const std::set<std::string> expected = {"BaseFeature", "Basiccomponents", "CryptoProvider", "WebDavGateway"};
  EXPECT_EQ(InstalledFeatures(fs::path(L"C:\\Custom\\KOVO3Plugin")), expected);
}

TEST_F(MsiexecUnderWine, ADamagedPackageEndsWithAFailureKindTheUserIsShown) {
  ASSERT_EQ(rig_.Engine().DownloadInstallPackage(), installer::kResultOk);
  // A download cut short: half of a real package.
  const fs::path package = rig_.File("kovo3plugin-setup.msi");
  fs::resize_file(package, fs::file_size(package) / 2);
  // The removal of a product that is not installed fails; the install run follows regardless.
  rig_.Page().reinstall = true;
  rig_.Page().productCode = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

  const installer::Result exitCode = rig_.Engine().RemoveAndInstall();

  EXPECT_TRUE(fs::exists(rig_.File("msi_uninstall.log")));
  EXPECT_TRUE(fs::exists(rig_.File("msi_install.log"))) << "msiexec writes its log where it was told";
  // Windows answers 1620 for a damaged package; Wine answers 1627.
  EXPECT_TRUE(exitCode == 1620 || exitCode == 1627) << exitCode;
  EXPECT_TRUE(InstalledProductCode().empty());

  // Windows maps its 1620 directly. Wine's code is in no table, so the log
  // decides, and Wine writes its log in English: no return value a Russian
  // log would show, hence "no action result".
  const std::int32_t kind = FailureKindOf(exitCode, rig_.Engine());
  EXPECT_EQ(kind, exitCode == 1620 ? 1620 : 6);
  EXPECT_FALSE(installer::FindErrorInfo(kind).title.empty());
}

TEST(MsiLogUnderWine, IsReadWhileAnotherProcessStillHoldsItForWriting) {
  EngineRig rig;
  kovo::testing::WriteInstallerLog(rig.File("msi_install.log"),
                                   {"Ошибка 1336. Нет доступа", kovo::testing::ActionEnded("InstallFinalize", "3")});
  struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
  };
  const std::unique_ptr<void, HandleCloser> writer(
      CreateFileW(rig.File("msi_install.log").wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(writer.get(), INVALID_HANDLE_VALUE);

  EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1336);
}
