// The package's Authenticode signature through WinVerifyTrust. wintrust.dll
// and crypt32.dll are not known DLLs on every Windows version, so the program
// does not import them: they are loaded when the first package is checked,
// by their full path in the system folder, so that a DLL of the same name in
// the download folder or beside the program is never the one that loads.
#include <windows.h>
// clang-format off: wintrust.h needs windows.h first, softpub.h needs wintrust.h.
#include <softpub.h>
#include <wintrust.h>
// clang-format on

#include <string>

#include "installer/package_signature.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

using WinVerifyTrustFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromStateDataFunction = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFromChainFunction = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL,
                                                                  DWORD);
using CertGetNameStringFunction = DWORD(WINAPI*)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR,
                                                 DWORD);

constexpr std::uint32_t kLoadFailed = static_cast<std::uint32_t>(TRUST_E_PROVIDER_UNKNOWN);

// Through void(*)(): GetProcAddress's type has nothing to do with the
// function's, and the cast via a plain function pointer says so.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(
                      reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

// The system folder's copy of a DLL. LOAD_WITH_ALTERED_SEARCH_PATH makes the
// DLL's own imports resolve from the system folder too; it needs no update
// on Windows 7 (LOAD_LIBRARY_SEARCH_SYSTEM32 needs KB2533623 there).
HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Loaded once and kept for the process's life: unloading a trust provider
// while another thread might still be in it gains nothing.
struct TrustFunctions {
  WinVerifyTrustFunction winVerifyTrust = nullptr;
  ProvDataFromStateDataFunction provDataFromStateData = nullptr;
  ProvSignerFromChainFunction provSignerFromChain = nullptr;
  CertGetNameStringFunction certGetNameString = nullptr;

  bool Complete() const {
    return winVerifyTrust && provDataFromStateData && provSignerFromChain && certGetNameString;
  }

  static const TrustFunctions& Get() {
    static const TrustFunctions functions = [] {
      TrustFunctions loaded;
      const HMODULE wintrust = LoadSystemLibrary(L"wintrust.dll");
      const HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
      loaded.winVerifyTrust = Lookup<WinVerifyTrustFunction>(wintrust, "WinVerifyTrust");
      loaded.provDataFromStateData =
          Lookup<ProvDataFromStateDataFunction>(wintrust, "WTHelperProvDataFromStateData");
      loaded.provSignerFromChain =
          Lookup<ProvSignerFromChainFunction>(wintrust, "WTHelperGetProvSignerFromChain");
      loaded.certGetNameString = Lookup<CertGetNameStringFunction>(crypt32, "CertGetNameStringW");
      return loaded;
    }();
    return functions;
  }
};

// The signing certificate's subject as Windows shows it ("simple display
// name": the CN, else the first name part there is); empty when unreadable.
std::string SignerName(const TrustFunctions& trust, HANDLE stateData) {
  if (!stateData) return {};
  CRYPT_PROVIDER_DATA* provider = trust.provDataFromStateData(stateData);
  CRYPT_PROVIDER_SGNR* signer =
      provider ? trust.provSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain ||
      !signer->pasCertChain[0].pCert)
    return {};
  const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
  const DWORD size =
      trust.certGetNameString(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (size <= 1) return {};
  std::wstring name(size, L'\0');
  trust.certGetNameString(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(),
                          size);
  name.resize(size - 1);  // the count includes the terminating zero
  return ToUtf8(name);
}

// The state handle of a verification, closed whatever happens in between.
class TrustState {
 public:
  TrustState(const TrustFunctions& trust, WINTRUST_DATA& data, GUID& action)
      : trust_(trust), data_(data), action_(action) {}
  ~TrustState() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    trust_.winVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  TrustState(const TrustState&) = delete;
  TrustState& operator=(const TrustState&) = delete;

 private:
  const TrustFunctions& trust_;
  WINTRUST_DATA& data_;
  GUID& action_;
};

class Win32SignatureVerifier final : public PackageSignatureVerifier {
 public:
  PackageSignature Verify(const std::wstring& file) override {
    PackageSignature signature;
    const TrustFunctions& trust = TrustFunctions::Get();
    if (!trust.Complete()) {
      signature.verdict = SignatureVerdict::NotVerified;
      signature.status = kLoadFailed;
      return signature;
    }

    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = file.c_str();

    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    // Revocation is not checked. The installer must install on a computer
    // without internet access (a mirror of the update server on the local
    // network), where no revocation server answers and a required lookup
    // would refuse every package. What protects the install is that the
    // signature verifies, chains to a root this computer trusts, and names
    // the configured publisher; a certificate the administrator distrusts
    // (the Disallowed store) still fails the chain without any lookup.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    // INVALID_HANDLE_VALUE: there is no user to ask; the answer is the policy's.
    const LONG status =
        trust.winVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    const TrustState state(trust, data, action);
    signature.status = static_cast<std::uint32_t>(status);
    signature.signer = SignerName(trust, data.hWVTStateData);
    switch (status) {
      case ERROR_SUCCESS:
        // A signature that verifies but names nobody is no publisher's.
        signature.verdict =
            signature.signer.empty() ? SignatureVerdict::NotVerified : SignatureVerdict::Signed;
        break;
      case TRUST_E_NOSIGNATURE:
      case TRUST_E_SUBJECT_FORM_UNKNOWN:  // not a signable file (an error page, say)
        signature.verdict = SignatureVerdict::Unsigned;
        break;
      default:  // a changed package, an untrusted or expired certificate, an unreadable file
        signature.verdict = SignatureVerdict::NotVerified;
        break;
    }
    return signature;
  }
};

}  // namespace

PackageSignatureVerifier& PlatformSignatureVerifier() {
  static Win32SignatureVerifier verifier;
  return verifier;
}

}  // namespace kovo::plugin::web::installer
