// The package's publisher, checked before the package runs with
// administrator rights. It comes over plain HTTP, so anyone on the way could
// replace it; only a package signed by the configured publisher reaches
// msiexec. A refused package is deleted at once, so that no later run (nor a
// user looking into the working folder) takes it for a download to trust.
#include <kovo-ui-imgui/logger/logger.h>

#include <filesystem>
#include <system_error>

#include "installer/controller/installer_engine.h"
#include "installer/controller/working_files.h"
#include "installer/error_catalogue.h"
#include "installer/package_signature.h"
#include "installer/system_services.h"

namespace kovo::plugin::web::installer {

namespace {

std::string StatusText(std::uint32_t status) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += digits[(status >> shift) & 0xFu];
  return text;
}

PackageSignature VerifiedSignature(const std::wstring& packageFile,
                                   const std::string& expectedSigner) {
  try {
    return JudgePublisher(SignatureVerifier().Verify(packageFile), expectedSigner);
  } catch (...) {
    return PackageSignature{};  // NotVerified: nothing vouched for the package
  }
}

}  // namespace

Result InstallerEngine::VerifyPackagePublisher() {
  const std::string expectedSigner = packageSigner_;
  if (expectedSigner.empty()) return kResultOk;
  const std::wstring packageFile = PackageFile(workingFolder_);
  // Nothing reaches msiexec without a file; RemoveAndInstall reports that case.
  if (!Services().FileExists(packageFile)) {
    LOG_INFO("Package signature: no package to check");
    return kResultOk;
  }

  const PackageSignature signature = VerifiedSignature(packageFile, expectedSigner);
  if (signature.verdict == SignatureVerdict::Signed) {
    LOG_INFO("Package signature: signed by \"" << signature.signer << "\"");
    return kResultOk;
  }

  LOG_ERROR("Package refused: " << VerdictText(signature.verdict) << "; signer found: \""
                                << signature.signer << "\", expected: \"" << expectedSigner
                                << "\", status " << StatusText(signature.status));
  std::error_code error;
  std::filesystem::remove(std::filesystem::path(packageFile), error);
  if (error) LOG_ERROR("Refused package not deleted: " << error.message());
  return kPackageDamaged;
}

}  // namespace kovo::plugin::web::installer
