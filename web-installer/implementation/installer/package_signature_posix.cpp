// Off Windows nothing can vouch for a Windows signature: every file is "not
// verified", so a native run with a publisher configured never takes a
// package for its publisher's. Native tests of the engine use a fake instead.
#include "installer/package_signature.h"

namespace kovo::plugin::web::installer {

namespace {

class PosixSignatureVerifier final : public PackageSignatureVerifier {
 public:
  PackageSignature Verify(const std::wstring&) override {
    PackageSignature signature;
    signature.verdict = SignatureVerdict::NotVerified;
    signature.status = kNoVerifier;
    return signature;
  }

 private:
  // The value WinVerifyTrust gives when no trust provider exists
  // (TRUST_E_PROVIDER_UNKNOWN), so that the log reads the same.
  static constexpr std::uint32_t kNoVerifier = 0x800B0001u;
};

}  // namespace

PackageSignatureVerifier& PlatformSignatureVerifier() {
  static PosixSignatureVerifier verifier;
  return verifier;
}

}  // namespace kovo::plugin::web::installer
