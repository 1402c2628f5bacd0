#include "installer/package_signature.h"

namespace kovo::plugin::web::installer {

namespace {
PackageSignatureVerifier*& Override() {
  static PackageSignatureVerifier* current = nullptr;
  return current;
}
}  // namespace

PackageSignature JudgePublisher(PackageSignature signature, const std::string& expectedSigner) {
  // Exactly the configured name: a name that only looks alike (another case,
  // an extra blank) is another certificate subject, hence another publisher.
  if (signature.verdict == SignatureVerdict::Signed && signature.signer != expectedSigner) {
    signature.verdict = SignatureVerdict::OtherSigner;
  }
  return signature;
}

const char* VerdictText(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::Signed:
      return "signed";
    case SignatureVerdict::Unsigned:
      return "unsigned";
    case SignatureVerdict::NotVerified:
      return "signature not verified";
    case SignatureVerdict::OtherSigner:
      return "signed by another publisher";
  }
  return "signature not verified";
}

PackageSignatureVerifier& SignatureVerifier() {
  PackageSignatureVerifier* current = Override();
  return current ? *current : PlatformSignatureVerifier();
}

ScopedSignatureVerifier::ScopedSignatureVerifier(PackageSignatureVerifier& replacement)
    : previous_(Override()) {
  Override() = &replacement;
}

ScopedSignatureVerifier::~ScopedSignatureVerifier() { Override() = previous_; }

}  // namespace kovo::plugin::web::installer
