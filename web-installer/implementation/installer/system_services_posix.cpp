// Off Windows there is no registry, Service Control Manager or installer: the
// portable stand-in answers what a plain file system and environment can, and
// "not there" for the rest. Native tests of the engine use a fake instead.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "installer/system_services_platform.h"

namespace kovo::plugin::web::installer {

namespace {

namespace fs = std::filesystem;

class PortableServices final : public SystemServices {
 public:
  std::wstring ExpandEnvironment(const std::wstring& text) override { return text; }
  bool FileExists(const std::wstring& path) override {
    std::error_code error;
    return fs::exists(fs::path(path), error);
  }
  std::uint32_t CreateFolder(const std::wstring& path) override {
    std::error_code error;
    if (fs::exists(fs::path(path), error)) return 0;
    fs::create_directory(fs::path(path), error);
    return static_cast<std::uint32_t>(error.value());
  }
  std::uint32_t RunProcess(const std::wstring&, const std::wstring&, std::uint32_t*, bool) override {
    return 2;  // ERROR_FILE_NOT_FOUND
  }
  void OpenUrl(const std::string&) override {}
  bool IsServiceRunning() override { return false; }
  bool IsPluginRunning() override { return false; }
  std::wstring ReadRegistryString(RegistryRoot, const std::wstring&, const std::wstring&,
                                  const std::wstring& defaultValue, std::uint32_t* error, int) override {
    if (error) *error = 2;
    return defaultValue;
  }
  std::uint32_t EnumerateSubKeys(RegistryRoot, const std::wstring&, std::vector<std::wstring>&, int) override {
    return 2;
  }
  SpaceInfo Space(const std::wstring& root) override {
    const auto info = fs::space(fs::path(root));
    return SpaceInfo{info.capacity, info.free, info.available};
  }
  std::optional<WindowsVersion> QueryWindowsVersion() override { return std::nullopt; }
  std::uint16_t UserDefaultLanguageId() override { return 1049; }
};

}  // namespace

SystemServices& PlatformServices() {
  static PortableServices services;
  return services;
}

}  // namespace kovo::plugin::web::installer
