// Off Windows there is no registry, Service Control Manager or installer: the
// portable stand-in answers what a plain file system and environment can, in
// the Windows terms the engine expects (error codes, "%NAME%" variables), and
// "not there" for the rest. Native tests of the engine use a fake instead.
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "installer/system_services_platform.h"
#include "installer/text_conversion.h"

namespace kovo::plugin::web::installer {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorGeneric = 31;  // ERROR_GEN_FAILURE

std::uint32_t WindowsErrorOf(const std::error_code& error) {
  switch (error.value()) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrorAccessDenied;
    case EEXIST:
      return kErrorAlreadyExists;
    default:
      return kErrorGeneric;
  }
}

// "%NAME%" of a defined variable is replaced; anything else stays as written,
// as ExpandEnvironmentStringsW does.
std::wstring ExpandVariables(const std::wstring& text) {
  std::wstring result;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(L'%', at);
    const std::size_t close = open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
    if (close == std::wstring::npos) {
      result += text.substr(at);
      break;
    }
    result += text.substr(at, open - at);
    const std::string name = ToUtf8(text.substr(open + 1, close - open - 1));
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (value) {
      result += ToWide(value);
      at = close + 1;
    } else {
      result += L'%';
      at = open + 1;
    }
  }
  return result;
}

class PortableServices final : public SystemServices {
 public:
  std::wstring ExpandEnvironment(const std::wstring& text) override { return ExpandVariables(text); }
  bool FileExists(const std::wstring& path) override {
    std::error_code error;
    return fs::exists(fs::path(path), error);
  }
  std::uint32_t CreateFolder(const std::wstring& path) override {
    if (fs::exists(fs::path(path))) return 0;
    std::error_code error;
    fs::create_directory(fs::path(path), error);
    return error ? WindowsErrorOf(error) : 0;
  }
  std::uint32_t RunProcess(const std::wstring&, const std::wstring&, std::uint32_t*, bool) override {
    return kErrorFileNotFound;
  }
  void OpenUrl(const std::string&) override {}
  bool IsServiceRunning() override { return false; }
  bool IsPluginRunning() override { return false; }
  std::wstring ReadRegistryString(RegistryRoot, const std::wstring&, const std::wstring&,
                                  const std::wstring& defaultValue, std::uint32_t* error, int) override {
    if (error) *error = kErrorFileNotFound;
    return defaultValue;
  }
  std::uint32_t EnumerateSubKeys(RegistryRoot, const std::wstring&, std::vector<std::wstring>&, int) override {
    return kErrorFileNotFound;
  }
  SpaceInfo Space(const std::wstring& root) override {
    std::error_code error;
    const auto info = fs::space(fs::path(root), error);
    if (error) throw fs::filesystem_error("space", fs::path(root), error);
    return SpaceInfo{info.capacity, info.free, info.available};
  }
  std::optional<WindowsVersion> QueryWindowsVersion() override { return std::nullopt; }
  std::uint16_t UserDefaultLanguageId() override { return 1049; }
  // Where Windows keeps it; nothing is ever started from here off Windows.
  std::wstring SystemFolder() override { return L"C:\\Windows\\system32"; }
};

}  // namespace

SystemServices& PlatformServices() {
  static PortableServices services;
  return services;
}

}  // namespace kovo::plugin::web::installer
