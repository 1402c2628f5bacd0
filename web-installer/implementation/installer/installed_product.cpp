#include "installer/installed_product.h"

#include <array>
#include <vector>

#include "installer/system_services.h"

namespace kovo::plugin::web::installer {

namespace {

// The names the plugin's packages have carried, newest first.
const std::array<std::wstring, 3> kPluginDisplayNames = {
    L"КОВО3 Плагин",
    L"КОВО Плагин",
    L"Lumo Plugin",
};

std::wstring ReadLocalMachineString(const std::wstring& key, const std::wstring& valueName) {
  return Services().ReadRegistryString(RegistryRoot::LocalMachine, key, valueName, L"", nullptr, kRegistryViewDefault);
}

bool IsPluginDisplayName(const std::wstring& displayName) {
  if (displayName.empty()) return false;
  for (const auto& name : kPluginDisplayNames) {
    if (displayName == name) return true;
  }
  return false;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

void RemoveEvery(std::wstring& text, const std::wstring& part) {
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at)) {
    text.erase(at, part.size());
  }
}

}  // namespace

std::wstring ReadInstalledFolder() { return ReadLocalMachineString(kPluginRegistryKey, kPluginPathValue); }

std::wstring ReadInstalledVersionText() { return ReadLocalMachineString(kPluginRegistryKey, kPluginVersionValue); }

std::wstring FindProductCode() {
  std::vector<std::wstring> entries;
  if (Services().EnumerateSubKeys(RegistryRoot::LocalMachine, kUninstallListKey, entries, kRegistryViewDefault) != 0) {
    return {};
  }
  const std::wstring uninstallList = kUninstallListKey;
  for (const auto& entry : entries) {
    if (IsPluginDisplayName(ReadLocalMachineString(uninstallList + L"\\" + entry, L"DisplayName"))) {
      return entry;
    }
  }
  return {};
}

std::wstring ComposeInstallFolder(const std::wstring& pickedFolder) {
  std::wstring folder = pickedFolder;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  if (Contains(folder, kProductFolderName)) return folder;
  const std::wstring product = kProductFolderName;
  if (Contains(folder, kCompanyFolderName)) return folder + L"\\" + product + L"\\";
  return folder + L"\\" + kCompanyFolderName + L"\\" + product + L"\\";
}

std::wstring ShortenPickerStartFolder(const std::wstring& folder) {
  std::wstring shortened = folder;
  RemoveEvery(shortened, kProductFolderName);
  RemoveEvery(shortened, kCompanyFolderName);
  return shortened;
}

}  // namespace kovo::plugin::web::installer
