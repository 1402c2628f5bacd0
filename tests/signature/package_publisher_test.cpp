// The publisher check before the package reaches msiexec, against a fake
// verifier: which answers let the package through, and what a refusal leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "installer/error_catalogue.h"
#include "installer/msi_test_support.h"
#include "signature/fake_signature_verifier.h"

namespace installer = kovo::plugin::web::installer;
namespace fs = std::filesystem;
using installer::PackageSignature;
using installer::SignatureVerdict;
using kovo::testing::EngineRig;
using kovo::testing::FakeSignatureVerifier;
using kovo::testing::LogCapture;

namespace {

constexpr char kPublisher[] = "Veltra Company Ltd";

class PackagePublisher : public ::testing::Test {
 protected:
  void SetUp() override {
    rig_.Engine().SetPackageSigner(kPublisher);
    kovo::testing::WriteFile(Package(), "MSI");
  }
  fs::path Package() const { return rig_.File("kovo3plugin-setup.msi"); }

  EngineRig rig_;
  FakeSignatureVerifier verifier_;
  installer::ScopedSignatureVerifier scopedVerifier_{verifier_};
};

}  // namespace

TEST_F(PackagePublisher, RefusesEveryPackageButThePublishersAndDeletesIt) {
  const struct {
    const char* name;
    PackageSignature answer;
    const char* logged;  // a part of the refusal's log record
  } cases[] = {
      {"unsigned",
       {SignatureVerdict::Unsigned, "", 0x800B0100u},
       "Package refused: unsigned; signer found: \"\""},
      {"signature that does not verify",
       {SignatureVerdict::NotVerified, kPublisher, 0x80096010u},
       "Package refused: signature not verified; signer found: \"Veltra Company Ltd\""},
      {"another publisher",
       {SignatureVerdict::Signed, "Mallory Software", 0},
       "Package refused: signed by another publisher; signer found: \"Mallory Software\", "
       "expected: \"Veltra "
       "Company Ltd\""},
      {"a name that only differs in case",
       {SignatureVerdict::Signed, "VELTRA Company Ltd", 0},
       "Package refused: signed by another publisher; signer found: \"VELTRA Company Ltd\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kovo::testing::WriteFile(Package(), "MSI");
    verifier_.answer = c.answer;
    const LogCapture log;

    EXPECT_EQ(rig_.Engine().VerifyPackagePublisher(), installer::kPackageDamaged);

    EXPECT_FALSE(fs::exists(Package())) << "a refused package stays in the working folder";
    EXPECT_TRUE(log.Contains(c.logged)) << log.RawText();
    EXPECT_TRUE(rig_.System().processCalls.empty());
  }
  EXPECT_EQ(verifier_.files.size(), std::size(cases));
}

TEST_F(PackagePublisher, LetsThePublishersPackageThroughUntouched) {
  verifier_.answer = {SignatureVerdict::Signed, kPublisher, 0};
  const LogCapture log;

  EXPECT_EQ(rig_.Engine().VerifyPackagePublisher(), installer::kResultOk);

  EXPECT_EQ(kovo::testing::ReadFile(Package()), "MSI");
  ASSERT_EQ(verifier_.files.size(), 1u);
  EXPECT_EQ(fs::path(verifier_.files[0]), Package());
  EXPECT_TRUE(log.Contains("Package signature: signed by \"Veltra Company Ltd\"")) << log.RawText();
  EXPECT_TRUE(rig_.System().processCalls.empty());
}

TEST_F(PackagePublisher, AVerifierThatFailsRefusesThePackage) {
  verifier_.throws = true;
  EXPECT_EQ(rig_.Engine().VerifyPackagePublisher(), installer::kPackageDamaged);
  EXPECT_FALSE(fs::exists(Package()));
}

TEST_F(PackagePublisher, WithoutAConfiguredPublisherNothingIsChecked) {
  rig_.Engine().SetPackageSigner("");
  verifier_.answer = {SignatureVerdict::Unsigned, "", 0x800B0100u};
  const LogCapture log;

  EXPECT_EQ(rig_.Engine().VerifyPackagePublisher(), installer::kResultOk);

  EXPECT_TRUE(verifier_.files.empty());
  EXPECT_TRUE(fs::exists(Package()));
  EXPECT_FALSE(log.Contains("Package")) << log.RawText();
}

TEST_F(PackagePublisher, AMissingPackageIsLeftToTheInstallStep) {
  fs::remove(Package());
  verifier_.answer = {SignatureVerdict::Unsigned, "", 0x800B0100u};
  EXPECT_EQ(rig_.Engine().VerifyPackagePublisher(), installer::kResultOk);
  EXPECT_TRUE(verifier_.files.empty());
  // ...where it is a failure of its own, not an install.
  EXPECT_EQ(rig_.Engine().RemoveAndInstall(), installer::kInstallNotPrepared);
}

TEST(PackageSignatureOffWindows, TheNativeVerifierVouchesForNothing) {
  const kovo::testing::TempFolder folder;
  const fs::path file = folder.Path() / "package.msi";
  kovo::testing::WriteFile(file, "MSI");
  const PackageSignature signature = installer::PlatformSignatureVerifier().Verify(file.wstring());
  EXPECT_EQ(signature.verdict, SignatureVerdict::NotVerified);
  EXPECT_EQ(installer::JudgePublisher(signature, kPublisher).verdict,
            SignatureVerdict::NotVerified);
}
