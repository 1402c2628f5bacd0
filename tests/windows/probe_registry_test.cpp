// The environment probe under Wine against the real registry, file system,
// disks and Windows version, with an update server on loopback.
#include <httplib.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <kovo-ui-imgui/events/event_queuer.h>

#include "installer/controller/installer_engine.h"
#include "installer/installed_product.h"
#include "installer/system_services.h"
#include "installer/utf8_text.h"
#include "support/test_support.h"

namespace ui = kovo::desktop::ui::imgui;
namespace installer = kovo::plugin::web::installer;

namespace {

constexpr char kOfferedVersion[] = "21.6225.56.0";

std::string Narrow(const std::wstring& text) { return installer::WideToUtf8(text); }

// ============================================================================
// Registry helpers of the test (the installer only reads)
// ============================================================================

class RegistryKey {
 public:
  explicit RegistryKey(const std::wstring& subKey) {
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  void SetString(const std::wstring& name, const std::wstring& value) {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes),
              ERROR_SUCCESS);
  }

 private:
  HKEY key_ = nullptr;
};

std::vector<std::wstring> UninstallEntriesInEnumerationOrder() {
  std::vector<std::wstring> names;
  HKEY list = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, installer::kUninstallListKey, 0, KEY_READ, &list) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(list, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(list);
  return names;
}

// ============================================================================
// Fixture: the real system, a loopback update server, the real %TEMP%
// ============================================================================

class ProbeOnWindows : public ::testing::Test {
 protected:
  ProbeOnWindows()
      : model_(ui::EventQueuer(queue_, events_)),
        engine_(model_, installer::Services().ExpandEnvironment(L"%TMP%") + L"\\KovoPlugin.Installer") {
    server_.Get("/Kovo3Plugin/master/win32/version.txt",
                [](const httplib::Request&, httplib::Response& response) {
                  response.set_content(kOfferedVersion, "text/plain");
                });
    const int port = server_.bind_to_any_port("127.0.0.1");
    serverThread_ = std::thread([this] { server_.listen_after_bind(); });
    kovo::testing::WaitUntil([this] { return server_.is_running(); });
    engine_.SetUpdateServer({"127.0.0.1", port});
  }
  ~ProbeOnWindows() override {
    server_.stop();
    serverThread_.join();
  }

  installer::PageData& Data() { return *model_.Access(); }

  kovo::testing::LogCapture log_;
  ui::EventSystem events_;
  ui::SafeQueue queue_;
  installer::PageModel model_;
  installer::InstallerEngine engine_;
  httplib::Server server_;
  std::thread serverThread_;
};

TEST_F(ProbeOnWindows, WithNothingInstalledDecidesToInstall) {
  ASSERT_TRUE(installer::FindProductCode().empty()) << "a fresh prefix lists no plugin";

  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultOk);

  EXPECT_EQ(Data().errorKind, 0);
  EXPECT_EQ(Data().missingSpaceMb, 0);
  EXPECT_FALSE(Data().installed);
  EXPECT_TRUE(Data().productCode.empty());
  EXPECT_TRUE(Data().installedVersion.empty());
  EXPECT_TRUE(Data().willInstall);
  EXPECT_EQ(Data().stage, installer::PageStage::Options);
  EXPECT_EQ(Data().installPath, installer::kDefaultInstallPath);
  EXPECT_EQ(kovo::testing::ReadFile(engine_.WorkingFolder() + L"\\version.txt"), kOfferedVersion);
  EXPECT_TRUE(log_.Contains("Win Ver: ")) << "RtlGetVersion answers under Wine";
  EXPECT_TRUE(log_.Contains("Root name: C:"));
  EXPECT_TRUE(log_.Contains("CheckPluginInstall.exist version: 0.0.0.0"));
  EXPECT_TRUE(log_.Contains("CheckPluginInstall.Will install new version"));
}

TEST_F(ProbeOnWindows, OfTwoMatchingUninstallEntriesTheFirstEnumeratedWins) {
  const std::wstring list = installer::kUninstallListKey;
  // Written in an order unlike any sorted one, so that the registry's own
  // enumeration order decides.
  const std::pair<std::wstring, std::wstring> entries[] = {
      {L"{C0000000-0000-0000-0000-000000000003}", L"Lumo Plugin"},
      {L"{A0000000-0000-0000-0000-000000000001}", L"lumo plugin"},
      {L"{D0000000-0000-0000-0000-000000000004}", L"Other Product"},
      {L"{B0000000-0000-0000-0000-000000000002}", L"КОВО Плагин"},
  };
  for (const auto& [code, name] : entries) RegistryKey(list + L"\\" + code).SetString(L"DisplayName", name);
  std::wstring expected;
  for (const auto& code : UninstallEntriesInEnumerationOrder()) {
    if (code == entries[0].first || code == entries[3].first) {
      expected = code;
      break;
    }
  }
  ASSERT_FALSE(expected.empty());

  EXPECT_EQ(Narrow(installer::FindProductCode()), Narrow(expected));
  EXPECT_EQ(engine_.EnvironmentProbe(), installer::kResultOk);
  EXPECT_EQ(Data().productCode, Narrow(expected));
  EXPECT_FALSE(Data().installed) << "no registered install folder";
  EXPECT_TRUE(log_.Contains("Msi Product code: " + Narrow(expected)));
  EXPECT_TRUE(log_.Contains("Check on running: service: 0 plugin: 0"));
}

}  // namespace
