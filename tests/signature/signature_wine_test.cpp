// The publisher check under Wine with the real WinVerifyTrust and msiexec:
// stand-in packages signed by the configured publisher, unsigned, and signed
// by another one, each downloaded from a local update server of its own.
// Wine checks neither an MSI's content hash nor the chain's trust, so what is
// shown here is the verdict on unsigned packages and on another signer's; a
// changed signed package is refused by Windows' own check only.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "installer/error_catalogue.h"
#include "installer/msi_test_support.h"
#include "installer/package_signature.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "kovo_settings.h"
#include "stand-in/update_server_process.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using installer::SignatureVerdict;
using kovo::testing::EngineRig;
using kovo::testing::LogCapture;
using kovo::testing::RigSystem;
using kovo::testing::UpdateServerProcess;

namespace {

constexpr wchar_t kUninstallList[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kProductName[] = L"КОВО Плагин";
constexpr char kOtherPublisher[] = KOVO_OTHER_PACKAGE_SIGNER;  // stand-in/CMakeLists.txt

// The packages each server serves.
enum class Tree { Signed, Unsigned, OtherSigner };

std::string BuildFolderOf(Tree tree) {
  const std::string build = kovo::testing::update_server_detail::HostBuildFolder();
  switch (tree) {
    case Tree::Signed:
      return build;
    case Tree::Unsigned:
      return build + "/stand-in/signature-variants/unsigned";
    case Tree::OtherSigner:
      return build + "/stand-in/signature-variants/other-signer";
  }
  return build;
}

std::string InstalledProductCode() {
  auto& system = installer::Services();
  std::vector<std::wstring> entries;
  system.EnumerateSubKeys(installer::RegistryRoot::LocalMachine, kUninstallList, entries,
                          installer::kRegistryView64);
  for (const auto& entry : entries) {
    std::uint32_t error = 0;
    const std::wstring name = system.ReadRegistryString(
        installer::RegistryRoot::LocalMachine, std::wstring(kUninstallList) + L"\\" + entry,
        L"DisplayName", L"", &error, installer::kRegistryView64);
    if (name == kProductName) return installer::ToUtf8(entry);
  }
  return {};
}

class SignedPackagesUnderWine : public ::testing::Test {
 protected:
  void TearDown() override {
    const std::string productCode = InstalledProductCode();
    if (productCode.empty()) return;
    std::uint32_t exitCode = 0;
    installer::Services().RunProcess(
        L"msiexec.exe", L"/x" + installer::ToWide(productCode) + L" /qn", &exitCode, true);
  }

  // Downloads the recommended package from a server of the tree into a fresh
  // working folder of `rig`.
  void Download(EngineRig& rig, Tree tree) {
    UpdateServerProcess::Options options;
    options.buildFolder = BuildFolderOf(tree);
    const UpdateServerProcess server(options);
    rig.Engine().SetUpdateServer({"127.0.0.1", server.Port()});
    ASSERT_EQ(rig.Engine().DownloadInstallPackage(), installer::kResultOk) << server.Log();
    ASSERT_TRUE(fs::exists(rig.File("kovo3plugin-setup.msi")));
  }

  // The installation steps as the worker takes them: the check, then the
  // msiexec runs only for a package that passed it.
  static installer::Result CheckAndInstall(EngineRig& rig) {
    const installer::Result check = rig.Engine().VerifyPackagePublisher();
    return check == installer::kResultOk ? rig.Engine().RemoveAndInstall() : check;
  }

  static void KeepLogs(const EngineRig& rig, const LogCapture& log, const std::string& prefix) {
    std::error_code ignored;
    for (const char* name : {"msi_uninstall.log", "msi_install.log"}) {
      fs::copy_file(rig.File(name), kovo::testing::ArtifactsDir() / (prefix + "-" + name),
                    fs::copy_options::overwrite_existing, ignored);
    }
    fs::copy_file(log.File(), kovo::testing::ArtifactsDir() / (prefix + "-web_setup.log"),
                  fs::copy_options::overwrite_existing, ignored);
  }
};

}  // namespace

TEST_F(SignedPackagesUnderWine, TheBuildChecksForTheStandInsPublisher) {
  EXPECT_STREQ(kovo::settings::kPackageSigner, "Veltra Company Ltd");
}

TEST_F(SignedPackagesUnderWine, WinVerifyTrustTellsTheThreeTreesApart) {
  const struct {
    Tree tree;
    SignatureVerdict verdict;
    const char* signer;
  } cases[] = {
      {Tree::Signed, SignatureVerdict::Signed, kovo::settings::kPackageSigner},
      {Tree::Unsigned, SignatureVerdict::Unsigned, ""},
      {Tree::OtherSigner, SignatureVerdict::OtherSigner, kOtherPublisher},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.tree));
    EngineRig rig(RigSystem::Real);
    ASSERT_NO_FATAL_FAILURE(Download(rig, c.tree));
    const installer::PackageSignature signature = installer::JudgePublisher(
        installer::SignatureVerifier().Verify(rig.File("kovo3plugin-setup.msi").wstring()),
        kovo::settings::kPackageSigner);
    EXPECT_EQ(signature.verdict, c.verdict) << std::hex << signature.status;
    EXPECT_EQ(signature.signer, c.signer);
  }
}

TEST_F(SignedPackagesUnderWine, ThePublishersPackageInstalls) {
  EngineRig rig(RigSystem::Real);
  ASSERT_NO_FATAL_FAILURE(Download(rig, Tree::Signed));
  const LogCapture log;

  EXPECT_EQ(CheckAndInstall(rig), 0) << log.RawText();

  KeepLogs(rig, log, "signed");
  EXPECT_FALSE(InstalledProductCode().empty());
  EXPECT_TRUE(log.Contains("Package signature: signed by \"Veltra Company Ltd\"")) << log.RawText();
}

TEST_F(SignedPackagesUnderWine,
       AnUnsignedOrForeignPackageNeverReachesMsiexecAndTheInstalledCopyStays) {
  {
    EngineRig rig(RigSystem::Real);
    ASSERT_NO_FATAL_FAILURE(Download(rig, Tree::Signed));
    ASSERT_EQ(CheckAndInstall(rig), 0);
  }
  const std::string productCode = InstalledProductCode();
  ASSERT_FALSE(productCode.empty());

  const struct {
    const char* name;
    Tree tree;
    std::string logged;
  } cases[] = {
      {"unsigned", Tree::Unsigned, "Package refused: unsigned; signer found: \"\""},
      {"other-signer", Tree::OtherSigner,
       std::string("Package refused: signed by another publisher; signer found: \"") +
           kOtherPublisher + "\", expected: \"Veltra Company Ltd\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig(RigSystem::Real);
    ASSERT_NO_FATAL_FAILURE(Download(rig, c.tree));
    // A reinstall: an accepted package would first have the copy removed.
    rig.Page().reinstall = true;
    rig.Page().productCode = productCode;
    const LogCapture log;

    EXPECT_EQ(CheckAndInstall(rig), installer::kPackageDamaged);

    KeepLogs(rig, log, c.name);
    EXPECT_TRUE(log.Contains(c.logged)) << log.RawText();
    EXPECT_FALSE(fs::exists(rig.File("kovo3plugin-setup.msi"))) << "the refused package stays";
    EXPECT_FALSE(fs::exists(rig.File("msi_uninstall.log"))) << "msiexec ran a removal";
    EXPECT_FALSE(fs::exists(rig.File("msi_install.log"))) << "msiexec ran an install";
    EXPECT_EQ(InstalledProductCode(), productCode) << "the installed copy was touched";
    EXPECT_EQ(installer::ExitCodeKinds.at(installer::kPackageDamaged), installer::kPackageDamaged);
  }
}
