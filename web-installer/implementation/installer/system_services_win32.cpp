// PROVISIONAL: the Win32 services are being written; only the queries needed
// so far are real here.
#include <windows.h>

#include "installer/system_services_platform.h"

namespace kovo::plugin::web::installer {

namespace {

class Win32Services final : public SystemServices {
 public:
  std::wstring ExpandEnvironment(const std::wstring& text) override { return text; }
  bool FileExists(const std::wstring& path) override {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::uint32_t CreateFolder(const std::wstring&) override { return ERROR_CALL_NOT_IMPLEMENTED; }
  std::uint32_t RunProcess(const std::wstring&, const std::wstring&, std::uint32_t*, bool) override {
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
  void OpenUrl(const std::string&) override {}
  bool IsServiceRunning() override { return false; }
  bool IsPluginRunning() override { return false; }
  std::wstring ReadRegistryString(RegistryRoot, const std::wstring&, const std::wstring&,
                                  const std::wstring& defaultValue, std::uint32_t* error, int) override {
    if (error) *error = ERROR_CALL_NOT_IMPLEMENTED;
    return defaultValue;
  }
  std::uint32_t EnumerateSubKeys(RegistryRoot, const std::wstring&, std::vector<std::wstring>&, int) override {
    return ERROR_CALL_NOT_IMPLEMENTED;
  }
  SpaceInfo Space(const std::wstring&) override { return {}; }
  std::optional<WindowsVersion> QueryWindowsVersion() override { return std::nullopt; }
  std::uint16_t UserDefaultLanguageId() override { return GetUserDefaultLangID(); }
};

}  // namespace

SystemServices& PlatformServices() {
  static Win32Services services;
  return services;
}

}  // namespace kovo::plugin::web::installer
