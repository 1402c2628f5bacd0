// A scriptable signature verifier for native tests: answers what the test
// says and records every file it was asked about.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "installer/package_signature.h"

namespace kovo::testing {

class FakeSignatureVerifier : public plugin::web::installer::PackageSignatureVerifier {
 public:
  plugin::web::installer::PackageSignature answer;
  bool throws = false;
  std::vector<std::wstring> files;

  plugin::web::installer::PackageSignature Verify(const std::wstring& file) override {
    files.push_back(file);
    if (throws) throw std::runtime_error("verifier failed");
    return answer;
  }
};

}  // namespace kovo::testing
