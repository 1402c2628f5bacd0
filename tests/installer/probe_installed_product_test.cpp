// Lookup of an installed plugin in the registry, and the install folder rules
// of the folder picker.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "installer/installed_product.h"
#include "installer/system_services.h"
#include "installer/text_conversion.h"
#include "support/fake_system_services.h"

namespace installer = kovo::plugin::web::installer;
using installer::RegistryRoot;
using kovo::testing::FakeSystemServices;

namespace {

const std::wstring kUninstallList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string Narrow(const std::wstring& text) { return installer::ToUtf8(text); }

// ============================================================================
// FindProductCode
// ============================================================================

struct UninstallEntry {
  std::wstring key;
  std::optional<std::wstring> displayName;  // none: the entry has no such value
  bool isString = true;
};

TEST(FindProductCode, TakesTheFirstEnumeratedEntryNamedExactlyLikeThePlugin) {
  const std::wstring tooLong = L"Lumo Plugin" + std::wstring(250, L' ');
  const struct {
    const char* name;
    std::vector<UninstallEntry> entries;
    std::wstring expected;
  } cases[] = {
      {"empty list", {}, L""},
      {"other products only", {{L"{A}", L"Other Product"}, {L"Tool", L"Lumo"}}, L""},
      {"current Russian name", {{L"{A}", L"Other Product"}, {L"{B}", L"КОВО Плагин"}}, L"{B}"},
      {"older Russian name", {{L"{C}", L"КОВО3 Плагин"}}, L"{C}"},
      {"English name", {{L"{D}", L"Lumo Plugin"}}, L"{D}"},
      {"first of two matching entries wins, whatever the name",
       {{L"{E}", L"Lumo Plugin"}, {L"{F}", L"КОВО3 Плагин"}},
       L"{E}"},
      {"letter case differs", {{L"{G}", L"lumo plugin"}, {L"{H}", L"LUMO PLUGIN"}}, L""},
      {"not the whole text", {{L"{I}", L"Lumo Plugin "}, {L"{J}", L"Lumo Plugin (x64)"}, {L"{K}", L"КОВО"}}, L""},
      {"longer than the registry buffer", {{L"{L}", tooLong}}, L""},
      {"entries without a usable name are passed over",
       {{L"{M}", std::nullopt}, {L"{N}", L"Lumo Plugin", false}, {L"{O}", L""}, {L"{P}", L"КОВО Плагин"}},
       L"{P}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystemServices system;
    installer::ScopedSystemServices scope(system);
    auto& keys = system.registrySubKeys[{RegistryRoot::LocalMachine, kUninstallList}];
    for (const auto& entry : c.entries) {
      keys.push_back(entry.key);
      if (entry.displayName) {
        system.registryValues[{RegistryRoot::LocalMachine, kUninstallList + L"\\" + entry.key, L"DisplayName"}] =
            FakeSystemServices::RegistryValue{*entry.displayName, entry.isString};
      }
    }

    EXPECT_EQ(Narrow(installer::FindProductCode()), Narrow(c.expected));
    for (int view : system.registryViewsSeen) EXPECT_EQ(view, installer::kRegistryViewDefault);
  }
}

TEST(FindProductCode, AMissingUninstallListYieldsNothing) {
  FakeSystemServices system;
  installer::ScopedSystemServices scope(system);
  system.SetRegistryString(RegistryRoot::LocalMachine, kUninstallList + L"\\{A}", L"DisplayName", L"Lumo Plugin");
  EXPECT_TRUE(installer::FindProductCode().empty());
}

// ============================================================================
// Install folder rules
// ============================================================================

TEST(ComposeInstallFolder, AddsTheCompanyAndProductFoldersThatThePickedFolderLacks) {
  const struct {
    std::wstring picked;
    std::wstring expected;
  } cases[] = {
      {L"D:\\Apps", L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {L"D:\\Apps\\", L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {L"D:\\", L"D:\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {L"D:\\Apps\\Veltra Company Ltd\\", L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {L"D:\\Apps\\Veltra Company Ltd", L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\"},
      {L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin", L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin"},
      {L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\", L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin"},
      {L"D:\\KOVO3PluginOld", L"D:\\KOVO3PluginOld"},  // merely contains the product name
      {L"D:\\kovo3plugin", L"D:\\kovo3plugin\\Veltra Company Ltd\\KOVO3Plugin\\"},  // letter case counts
      {L"D:\\Apps\\\\", L"D:\\Apps\\\\Veltra Company Ltd\\KOVO3Plugin\\"},  // only one backslash is removed
      {L"D:\\Программы", L"D:\\Программы\\Veltra Company Ltd\\KOVO3Plugin\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Narrow(installer::ComposeInstallFolder(c.picked)), Narrow(c.expected)) << Narrow(c.picked);
  }
}

TEST(ShortenPickerStartFolder, RemovesTheProductsOwnFolderNames) {
  const struct {
    std::wstring folder;
    std::wstring expected;
  } cases[] = {
      // The text left still names the Program Files folder.
      {L"C:\\Program Files (x86)\\Veltra Company Ltd\\KOVO3Plugin", L"C:\\Program Files (x86)\\\\"},
      {L"D:\\Apps\\Veltra Company Ltd\\KOVO3Plugin\\", L"D:\\Apps\\\\\\"},
      {L"D:\\KOVO3Plugin\\x\\KOVO3Plugin", L"D:\\\\x\\"},
      {L"D:\\KOVO3PluginOld", L"D:\\Old"},
      {L"D:\\Apps", L"D:\\Apps"},
      {L"D:\\veltra company ltd\\kovo3plugin", L"D:\\veltra company ltd\\kovo3plugin"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Narrow(installer::ShortenPickerStartFolder(c.folder)), Narrow(c.expected)) << Narrow(c.folder);
  }
}

}  // namespace
