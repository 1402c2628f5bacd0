// The Win32 system services against the real thing: Wine's registry (both
// views), its Service Control Manager with a service registered by the test,
// its process list with processes started by the test, real folders and
// environment variables.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "installer/system_services_platform.h"
#include "installer/system_services_win32.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
namespace installer = kovo::plugin::web::installer;
using kovo::testing::WaitUntil;

std::wstring HelperProgram() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (fs::path(self).parent_path() / L"kovo_test_service.exe").wstring();
}

std::wstring Quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

void Touch(const fs::path& path) { kovo::testing::WriteFile(path, ""); }

bool ProcessWithImageRuns(const std::wstring& imageName) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
    found = imageName == entry.szExeFile;
  }
  CloseHandle(snapshot);
  return found;
}

DWORD FirstProcessIdOf(const std::wstring& imageName) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  DWORD id = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !id; more = Process32NextW(snapshot, &entry)) {
    if (imageName == entry.szExeFile) id = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return id;
}

// A copy of the helper under another image name, living until the object goes.
class RunningProcess {
 public:
  RunningProcess(const fs::path& folder, const std::wstring& imageName)
      : imageName_(imageName), stopFile_(folder / (imageName + L".stop")) {
    const fs::path image = folder / imageName;
    fs::copy_file(HelperProgram(), image, fs::copy_options::overwrite_existing);
    const fs::path started = folder / (imageName + L".started");
    const auto error = installer::RunProcess(Quoted(image), L"wait " + Quoted(started) + L" " + Quoted(stopFile_),
                                             nullptr, false);
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(started) && ProcessWithImageRuns(imageName_); },
                          std::chrono::seconds(20)));
  }
  ~RunningProcess() {
    Touch(stopFile_);
    EXPECT_TRUE(WaitUntil([&] { return !ProcessWithImageRuns(imageName_); }, std::chrono::seconds(20)));
  }
  DWORD Id() const { return FirstProcessIdOf(imageName_); }

 private:
  std::wstring imageName_;
  fs::path stopFile_;
};

// ===========================================================================
// Environment, files and folders

TEST(ExpandEnvironment, ExpandsDefinedVariablesAndKeepsUndefinedOnes) {
  const std::wstring temporary = installer::ExpandEnvironment(L"%TMP%");
  ASSERT_GE(temporary.size(), 3u);
  EXPECT_EQ(temporary.find(L'%'), std::wstring::npos);
  EXPECT_EQ(temporary[1], L':') << "an absolute folder path";
  EXPECT_NE(temporary.back(), L'\\');

  EXPECT_EQ(installer::ExpandEnvironment(L"%KOVO_NOT_DEFINED%\\x"), L"%KOVO_NOT_DEFINED%\\x");
  EXPECT_EQ(installer::ExpandEnvironment(L""), L"");
}

TEST(ExpandEnvironment, ResultsLongerThanTheFirstBufferComeWhole) {
  for (const std::size_t length : {258u, 259u, 260u, 1000u, 5000u}) {
    const std::wstring value(length, L'x');
    ASSERT_TRUE(SetEnvironmentVariableW(L"KOVO_LONG_VALUE", value.c_str()));
    EXPECT_EQ(installer::ExpandEnvironment(L"%KOVO_LONG_VALUE%\\tail"), value + L"\\tail") << length;
  }
  SetEnvironmentVariableW(L"KOVO_LONG_VALUE", nullptr);
}

TEST(Folders, CreateFolderCreatesOneLevelAndAcceptsWhatExists) {
  kovo::testing::TempFolder temp;
  const fs::path existing = temp.Path() / L"existing";
  fs::create_directory(existing);
  kovo::testing::WriteFile(existing / L"keep.txt", "kept");
  const fs::path file = temp.Path() / L"plain.txt";
  kovo::testing::WriteFile(file, "");

  EXPECT_EQ(installer::CreateFolder(existing.wstring()), 0u);
  EXPECT_EQ(kovo::testing::ReadFile(existing / L"keep.txt"), "kept");
  EXPECT_EQ(installer::CreateFolder(file.wstring()), 0u) << "a path that exists, whatever it is";

  const fs::path fresh = temp.Path() / L"KovoPlugin.Installer";
  EXPECT_FALSE(installer::FileExists(fresh.wstring()));
  EXPECT_EQ(installer::CreateFolder(fresh.wstring()), 0u);
  EXPECT_TRUE(fs::is_directory(fresh));
  EXPECT_TRUE(installer::FileExists(fresh.wstring()));
  EXPECT_TRUE(installer::FileExists(file.wstring()));

  const fs::path orphan = temp.Path() / L"no-parent" / L"child";
  EXPECT_EQ(installer::CreateFolder(orphan.wstring()), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(fs::exists(orphan.parent_path()));
}

// ===========================================================================
// Processes and the shell

TEST(RunProcess, WaitsForTheExitCode) {
  std::uint32_t exitCode = 12345;
  EXPECT_EQ(installer::RunProcess(Quoted(HelperProgram()), L"exit 1627", &exitCode, true), 0u);
  EXPECT_EQ(exitCode, 1627u);
}

TEST(RunProcess, StartsWithoutWaiting) {
  kovo::testing::TempFolder temp;
  const fs::path started = temp.Path() / L"started";
  const fs::path stop = temp.Path() / L"stop";
  EXPECT_EQ(installer::RunProcess(Quoted(HelperProgram()), L"wait " + Quoted(started) + L" " + Quoted(stop), nullptr,
                                  false),
            0u);
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(started); }, std::chrono::seconds(20)));
  Touch(stop);
  EXPECT_TRUE(WaitUntil([] { return !ProcessWithImageRuns(L"kovo_test_service.exe"); }, std::chrono::seconds(20)));
}

TEST(RunProcess, AProgramThatDoesNotExistReturnsTheSystemErrorAndNoExitCode) {
  std::uint32_t exitCode = 12345;
  EXPECT_NE(installer::RunProcess(L"C:\\no\\such\\program.exe", L"/x", &exitCode, true), 0u);
  EXPECT_EQ(installer::RunProcess(L"kovo-no-such-program.exe", L"", &exitCode, true),
            static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(exitCode, 12345u);
}

TEST(OpenUrl, OpensWhatTheShellOpens) {
  kovo::testing::TempFolder temp;
  const fs::path marker = temp.Path() / L"opened";
  const fs::path script = temp.Path() / L"open-me.bat";
  kovo::testing::WriteFile(script, "@echo opened> \"" + marker.string() + "\"\r\n");
  installer::OpenUrl(script.string());
  EXPECT_TRUE(WaitUntil([&] { return fs::exists(marker); }, std::chrono::seconds(20)));
}

// ===========================================================================
// Services, processes, accounts

TEST(PluginService, RunsOnlyWhileTheRegisteredServiceRuns) {
  EXPECT_FALSE(installer::IsServiceRunning()) << "not installed";

  const auto sc = [](const std::wstring& parameters) {
    std::uint32_t exitCode = 99;
    EXPECT_EQ(installer::RunProcess(L"sc.exe", parameters, &exitCode, true), 0u) << parameters;
    return exitCode;
  };
  ASSERT_EQ(sc(L"create KOVO3Plugin binPath= \"" + HelperProgram() + L" service KOVO3Plugin\""), 0u);
  EXPECT_FALSE(installer::IsServiceRunning()) << "installed, not started";

  EXPECT_EQ(sc(L"start KOVO3Plugin"), 0u);
  EXPECT_TRUE(WaitUntil([] { return installer::IsServiceRunning(); }, std::chrono::seconds(20)));

  EXPECT_EQ(sc(L"stop KOVO3Plugin"), 0u);
  EXPECT_TRUE(WaitUntil([] { return !installer::IsServiceRunning(); }, std::chrono::seconds(20)));
  EXPECT_EQ(sc(L"delete KOVO3Plugin"), 0u);
  EXPECT_FALSE(installer::IsServiceRunning());
}

TEST(ProcessAccount, NamesTheAccountOfAProcess) {
  std::wstring name = L"junk";
  std::wstring domain = L"junk";
  ASSERT_TRUE(installer::GetProcessAccount(GetCurrentProcess(), name, domain));
  wchar_t user[256] = {};
  DWORD userLength = 256;
  ASSERT_TRUE(GetUserNameW(user, &userLength));
  EXPECT_EQ(name, user);
  EXPECT_FALSE(domain.empty());

  kovo::testing::TempFolder temp;
  RunningProcess child(temp.Path(), L"account-child.exe");
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, child.Id());
  ASSERT_NE(process, nullptr);
  std::wstring childName;
  std::wstring childDomain;
  EXPECT_TRUE(installer::GetProcessAccount(process, childName, childDomain));
  CloseHandle(process);
  EXPECT_EQ(childName, name);
  EXPECT_EQ(childDomain, domain);

  name = domain = L"junk";
  EXPECT_FALSE(installer::GetProcessAccount(nullptr, name, domain));
  EXPECT_TRUE(name.empty());
  EXPECT_TRUE(domain.empty());
}

TEST(PluginProcess, CountsProcessesWhoseImageNameContainsThePluginsName) {
  kovo::testing::TempFolder temp;
  EXPECT_FALSE(installer::IsPluginRunning());
  const struct {
    const wchar_t* imageName;
    bool counts;
  } cases[] = {
      {L"kovo3plugin.exe", true},
      {L"old-kovo3plugin.exe", true},
      {L"Kovo3Plugin.exe", false},
      {L"kovo3plugin.ex_", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(fs::path(c.imageName).string()));
    RunningProcess process(temp.Path(), c.imageName);
    EXPECT_EQ(installer::IsPluginRunning(), c.counts);
  }
  EXPECT_FALSE(installer::IsPluginRunning());
}

// ===========================================================================
// Registry

constexpr wchar_t kTestKey[] = L"Software\\KovoServicesTest";

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      HKEY software = nullptr;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
        RegDeleteTreeW(software, L"KovoServicesTest");
        RegCloseKey(software);
      }
    }
  }

  static HKEY CreateKey(HKEY root, const std::wstring& path, REGSAM view = 0) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }
  static void SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                       DWORD bytes, REGSAM view = 0) {
    const HKEY key = CreateKey(root, path, view);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void SetText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
                      DWORD type = REG_SZ, REGSAM view = 0) {
    SetValue(root, path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
  }
};

TEST_F(RegistryTest, ReadsStringValuesAndFallsBackToTheDefault) {
  const std::wstring text254(254, L'a');
  const std::wstring text255(255, L'b');
  SetText(HKEY_CURRENT_USER, kTestKey, L"Version", L"21.6225.56.0");
  SetText(HKEY_CURRENT_USER, kTestKey, L"Russian", L"КОВО Плагин");
  SetText(HKEY_CURRENT_USER, kTestKey, L"Expandable", L"%TEMP%\\kovo", REG_EXPAND_SZ);
  SetText(HKEY_CURRENT_USER, kTestKey, L"Longest", text254);
  SetText(HKEY_CURRENT_USER, kTestKey, L"TooLong", text255);
  const DWORD number = 7;
  SetValue(HKEY_CURRENT_USER, kTestKey, L"Number", REG_DWORD, &number, sizeof(number));

  const struct {
    const wchar_t* subKey;
    const wchar_t* valueName;
    std::wstring expected;
    std::uint32_t error;
  } cases[] = {
      {kTestKey, L"Version", L"21.6225.56.0", 0},
      {kTestKey, L"Russian", L"КОВО Плагин", 0},
      {kTestKey, L"Expandable", L"%TEMP%\\kovo", 0},
      {kTestKey, L"Longest", text254, 0},
      {kTestKey, L"TooLong", L"default", ERROR_MORE_DATA},
      {kTestKey, L"Number", L"default", 11},
      {kTestKey, L"Missing", L"default", ERROR_FILE_NOT_FOUND},
      {L"Software\\KovoServicesTest\\Missing", L"Version", L"default", ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(fs::path(c.valueName).string());
    std::uint32_t error = 12345;
    EXPECT_EQ(installer::ReadRegistryString(HKEY_CURRENT_USER, c.subKey, c.valueName, L"default", &error, 0),
              c.expected);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(installer::ReadRegistryString(HKEY_CURRENT_USER, c.subKey, c.valueName, L"default", nullptr, 0),
              c.expected);
  }
}

// The registry does not insist on a string's terminating zero: 255 characters
// without it fill the 510 bytes read exactly. Windows then answers with the
// bare characters, Wine with ERROR_MORE_DATA; either way the text must end
// where the value ends.
TEST_F(RegistryTest, AStringWithoutItsTerminatingZeroEndsWhereTheValueEnds) {
  const std::wstring text255(255, L'b');
  SetValue(HKEY_CURRENT_USER, kTestKey, L"Unterminated", REG_SZ, text255.c_str(), 510);
  std::uint32_t error = 12345;
  const std::wstring text =
      installer::ReadRegistryString(HKEY_CURRENT_USER, kTestKey, L"Unterminated", L"default", &error, 0);
  if (error == 0) {
    EXPECT_EQ(text, text255);
  } else {
    EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_MORE_DATA));
    EXPECT_EQ(text, L"default");
  }
}

TEST_F(RegistryTest, TheViewArgumentChoosesBetweenThe64And32BitViews) {
  const std::wstring key = L"SOFTWARE\\KovoServicesTest";
  SetText(HKEY_LOCAL_MACHINE, key, L"Bits", L"64", REG_SZ, KEY_WOW64_64KEY);
  SetText(HKEY_LOCAL_MACHINE, key, L"Bits", L"32", REG_SZ, KEY_WOW64_32KEY);
  RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, key + L"\\Only32", KEY_WOW64_32KEY));
  RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, key + L"\\Both", KEY_WOW64_32KEY));
  RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, key + L"\\Both", KEY_WOW64_64KEY));

  const auto read = [&](int view) {
    return installer::ReadRegistryString(HKEY_LOCAL_MACHINE, key, L"Bits", L"", nullptr, view);
  };
  EXPECT_EQ(read(installer::kRegistryView64), L"64");
  EXPECT_EQ(read(installer::kRegistryView32), L"32");
  EXPECT_EQ(read(installer::kRegistryViewDefault), L"64") << "a 64-bit program's own view";

  const auto subKeys = [&](int view) {
    std::vector<std::wstring> names;
    EXPECT_EQ(installer::EnumerateSubKeys(HKEY_LOCAL_MACHINE, key, names, view), 0u);
    return std::set<std::wstring>(names.begin(), names.end());
  };
  EXPECT_EQ(subKeys(installer::kRegistryView32), (std::set<std::wstring>{L"Both", L"Only32"}));
  EXPECT_EQ(subKeys(installer::kRegistryView64), (std::set<std::wstring>{L"Both"}));
}

TEST_F(RegistryTest, EnumerateSubKeysAppendsEveryNameIncludingTheLongestLegalOne) {
  const std::wstring longest(255, L'k');
  for (const std::wstring& name : {std::wstring(L"{B0A1}"), std::wstring(L"{A0B2}"), longest}) {
    RegCloseKey(CreateKey(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\" + name));
  }
  std::vector<std::wstring> names = {L"kept"};
  EXPECT_EQ(installer::EnumerateSubKeys(HKEY_CURRENT_USER, kTestKey, names, 0), 0u);
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names.front(), L"kept");
  EXPECT_EQ(std::set<std::wstring>(names.begin() + 1, names.end()),
            (std::set<std::wstring>{L"{B0A1}", L"{A0B2}", longest}));

  std::vector<std::wstring> untouched = {L"kept"};
  EXPECT_EQ(installer::EnumerateSubKeys(HKEY_CURRENT_USER, L"Software\\KovoServicesTest\\Missing", untouched, 0),
            static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(untouched, std::vector<std::wstring>{L"kept"});
}

TEST_F(RegistryTest, TheEngineInterfaceReachesTheRootItNames) {
  SetText(HKEY_CURRENT_USER, kTestKey, L"Where", L"user");
  auto& services = installer::PlatformServices();
  std::uint32_t error = 0;
  EXPECT_EQ(services.ReadRegistryString(installer::RegistryRoot::CurrentUser, kTestKey, L"Where", L"", &error, 0),
            L"user");
  EXPECT_EQ(services.ReadRegistryString(installer::RegistryRoot::LocalMachine, kTestKey, L"Where", L"none", &error, 0),
            L"none");
  EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

// ===========================================================================
// Disks and the system

TEST(Space, QueriesTheVolumeOrRaisesTheSpaceError) {
  const auto space = installer::QuerySpace(L"C:\\");
  EXPECT_GT(space.capacity, 0u);
  EXPECT_LE(space.free, space.capacity);
  EXPECT_LE(space.available, space.capacity);

  try {
    installer::QuerySpace(L"Q:\\");
    ADD_FAILURE() << "no error for a drive that does not exist";
  } catch (const fs::filesystem_error& error) {
    EXPECT_NE(std::string(error.what()).find("space"), std::string::npos) << error.what();
    EXPECT_NE(error.code().value(), 0);
  }
}

TEST(SystemQueries, ReportTheWindowsVersion) {
  const auto version = installer::QueryWindowsVersion();
  ASSERT_TRUE(version.has_value());
  EXPECT_GE(version->major, 6u);
  EXPECT_GT(version->build, 0u);
}

}  // namespace
