// The Authenticode signature of a downloaded package: whether it carries
// one, whether Windows trusts it, and whose it is. The installer hands the
// package to msiexec with administrator rights, and it arrives over plain
// HTTP; the signature is what tells it that the package is its publisher's.
//
// Thread contract: Verify may be called from any thread (the installation
// worker calls it); implementations keep no state between calls. Failure
// contract: Verify never throws for a bad, missing or unreadable file; every
// such file gets a verdict other than Signed.
#pragma once

#include <cstdint>
#include <string>

namespace kovo::plugin::web::installer {

enum class SignatureVerdict {
  Signed,       // the signature verifies and is the expected publisher's
  Unsigned,     // the file carries no signature (or is no signable file at all)
  NotVerified,  // it carries one, but Windows does not accept it
  OtherSigner,  // it verifies, but names another publisher
};

struct PackageSignature {
  SignatureVerdict verdict = SignatureVerdict::NotVerified;
  // The simple display name of the signing certificate's subject, UTF-8;
  // empty when none could be read.
  std::string signer;
  // What the system answered (a WinVerifyTrust HRESULT), for the log.
  std::uint32_t status = 0;
};

// Checks files on the platform's terms. A verifier answers Signed for any
// signature that verifies, whoever signed it; the name is judged by
// JudgePublisher.
class PackageSignatureVerifier {
 public:
  virtual ~PackageSignatureVerifier() = default;
  virtual PackageSignature Verify(const std::wstring& file) = 0;
};

// A verified signature whose signer is not `expectedSigner` (compared byte
// for byte) becomes OtherSigner; every other answer stays as it is.
PackageSignature JudgePublisher(PackageSignature signature, const std::string& expectedSigner);

// "signed", "unsigned", "signature not verified", "signed by another publisher".
const char* VerdictText(SignatureVerdict verdict);

// The verifier in use: the platform's own, unless a test put another in place.
PackageSignatureVerifier& SignatureVerifier();

// The platform's own verifier (WinVerifyTrust on Windows).
PackageSignatureVerifier& PlatformSignatureVerifier();

// Puts another verifier in place for its lifetime (tests).
class ScopedSignatureVerifier {
 public:
  explicit ScopedSignatureVerifier(PackageSignatureVerifier& replacement);
  ~ScopedSignatureVerifier();
  ScopedSignatureVerifier(const ScopedSignatureVerifier&) = delete;
  ScopedSignatureVerifier& operator=(const ScopedSignatureVerifier&) = delete;

 private:
  PackageSignatureVerifier* previous_;
};

}  // namespace kovo::plugin::web::installer
