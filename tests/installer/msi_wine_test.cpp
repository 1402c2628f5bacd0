// The msiexec runs with Wine's real msiexec: the command lines must be
// accepted as written, the logs must land in the working folder, and a package
// that cannot be opened must end as a failure kind the user is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "installer/error_catalogue.h"
#include "installer/msi_test_support.h"

namespace installer = kovo::plugin::web::installer;
using kovo::testing::EngineRig;

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Starts processes for real and waits for them, like the installer's own
// services; everything else stays with the fake of the rig.
class RealProcesses : public kovo::testing::FakeSystemServices {
 public:
  std::uint32_t RunProcess(const std::wstring& program, const std::wstring& parameters, std::uint32_t* exitCode,
                           bool wait) override {
    processCalls.push_back({program, parameters, wait});
    std::wstring commandLine = program + L" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
      return GetLastError();
    }
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    *exitCode = code;
    return 0;
  }
};

// What the installation worker makes of RemoveAndInstall's result.
std::int32_t FailureKindOf(installer::Result exitCode, installer::InstallerEngine& engine) {
  for (const auto& [code, kind] : installer::ExitCodeKinds) {
    if (code == exitCode) return kind;
  }
  if (installer::KindExitCodes.count(exitCode) != 0) return exitCode;
  return exitCode != 0 ? engine.AnalyzeMsiLog() : 0;
}

void KeepLogs(const EngineRig& rig, const std::string& prefix) {
  for (const char* name : {"msi_uninstall.log", "msi_install.log"}) {
    std::error_code ignored;
    std::filesystem::copy_file(rig.File(name), kovo::testing::ArtifactsDir() / (prefix + "-" + name),
                               std::filesystem::copy_options::overwrite_existing, ignored);
  }
}

}  // namespace

TEST(MsiexecUnderWine, APackageThatCannotBeOpenedEndsAsAShownFailure) {
  EngineRig rig;
  RealProcesses system;
  installer::ScopedSystemServices useRealProcesses(system);
  kovo::testing::WriteFile(rig.File("kovo3plugin-setup.msi"), "not a Windows Installer package");
  rig.Page().reinstall = true;
  rig.Page().productCode = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

  const installer::Result exitCode = rig.Engine().RemoveAndInstall();

  ASSERT_EQ(system.processCalls.size(), 2u) << "the removal's failure must not stop the install run";
  // Windows answers 1620 for a damaged package; Wine answers 1627.
  EXPECT_TRUE(exitCode == 1620 || exitCode == 1627) << exitCode;
  EXPECT_TRUE(std::filesystem::exists(rig.File("msi_install.log"))) << "msiexec writes its log where it was told";
  KeepLogs(rig, "corrupt-package");

  // Windows maps its 1620 directly. Wine's code is in no table, so the log
  // decides, and Wine writes its log in English: no return value a Russian
  // log would show, hence "no action result".
  const std::int32_t kind = FailureKindOf(exitCode, rig.Engine());
  EXPECT_EQ(kind, exitCode == 1620 ? 1620 : 6);
  EXPECT_FALSE(installer::FindErrorInfo(kind).title.empty());
}

TEST(MsiLogUnderWine, IsReadWhileAnotherProcessStillHoldsItForWriting) {
  EngineRig rig;
  kovo::testing::WriteInstallerLog(rig.File("msi_install.log"),
                                   {"Ошибка 1336. Нет доступа", kovo::testing::ActionEnded("InstallFinalize", "3")});
  const UniqueHandle writer(CreateFileW(rig.File("msi_install.log").wstring().c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(writer.get(), INVALID_HANDLE_VALUE);

  EXPECT_EQ(rig.Engine().AnalyzeMsiLog(), 1336);
}
