// The shipped program's x86_64 twin under Wine: its window, the single
// instance, DLLs planted beside it, and a system without the shader compiler.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "gui/wine/host_programs.h"
#include "stand-in/update_server_process.h"
#include "support/test_support.h"

namespace kovo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kMainWindowTitle[] =
    L"\u041a\u041e\u0412\u041e \u041f\u043b\u0430\u0433\u0438\u043d";
constexpr char kMainWindowTitleUtf8[] = "КОВО Плагин";
constexpr wchar_t kPlantedMarker[] = L"C:\\planted-dll-marker.txt";
constexpr DWORD kExitNoApplication = static_cast<DWORD>(-1);
constexpr int kUpdatePort = 18330;  // the mingw64 build's update server port

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

fs::path BuildFolder() {
  const char* folder = std::getenv("KOVO_BUILD_DIR");
  return folder ? fs::path(folder) : fs::path();
}

fs::path ProgramInBuild() { return BuildFolder() / "web-installer" / "kovoplugin-setup-web.exe"; }

// The program as a user has it: alone in a download folder whose path has a blank.
fs::path ProgramInDownloads(const std::string& folderName) {
  const fs::path folder = fs::path(L"C:\\users\\Public\\Downloads") / (folderName + " folder");
  fs::create_directories(folder);
  const fs::path program = folder / "kovoplugin-setup-web.exe";
  fs::copy_file(ProgramInBuild(), program, fs::copy_options::overwrite_existing);
  return program;
}

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Whether one of the NAME=value entries sets the variable of this entry.
bool Replaced(const std::wstring& entry, const std::vector<std::wstring>& entries) {
  const std::wstring name = entry.substr(0, entry.find(L'=') + 1);
  for (const auto& other : entries) {
    if (_wcsnicmp(other.c_str(), name.c_str(), name.size()) == 0) return true;
  }
  return false;
}

// A started program, ended by its handle if the test did not see it end.
class Program {
 public:
  Program(const fs::path& program, const std::wstring& arguments,
          const std::vector<std::wstring>& extraEnvironment = {}) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring environment;
    if (!extraEnvironment.empty()) {
      LPWCH current = GetEnvironmentStringsW();
      for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        if (Replaced(entry, extraEnvironment)) continue;
        environment += entry;
        environment += L'\0';
      }
      FreeEnvironmentStringsW(current);
      for (const auto& entry : extraEnvironment) {
        environment += entry;
        environment += L'\0';
      }
      environment += L'\0';
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const std::wstring folder = program.parent_path().wstring();
    if (CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       extraEnvironment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                       extraEnvironment.empty() ? nullptr : environment.data(), folder.c_str(),
                       &startup, &process)) {
      process_.reset(process.hProcess);
      CloseHandle(process.hThread);
      id_ = process.dwProcessId;
    }
  }
  ~Program() {
    if (process_ && !Ended(0ms)) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 10000);
    }
  }
  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  bool Ended(std::chrono::milliseconds wait) const {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

struct WindowSearch {
  DWORD processId;
  const wchar_t* title;  // null: any visible top-level window
  HWND found = nullptr;
};

// Enumeration callbacks are free functions: a lambda does not convert to the
// stdcall function pointer of the 32-bit build.
BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM parameter) {
  auto& s = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s.processId || !IsWindowVisible(window)) return TRUE;
  if (s.title) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    if (std::wstring(text) != s.title) return TRUE;
  }
  s.found = window;
  return FALSE;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* title) {
  WindowSearch search{processId, title};
  EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const Program& program, const wchar_t* title, std::chrono::seconds timeout) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        return (window = FindProcessWindow(program.Id(), title)) != nullptr || program.Ended(0ms);
      },
      timeout);
  return window;
}

std::string WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// The text of every static control of a dialog box.
BOOL CALLBACK AppendChildText(HWND child, LPARAM parameter) {
  *reinterpret_cast<std::string*>(parameter) += WindowText(child) + "\n";
  return TRUE;
}

std::string DialogText(HWND box) {
  std::string text;
  EnumChildWindows(box, AppendChildText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// xdotool asked by the window's name as X knows it (UTF-8, through a script
// file: host program arguments cannot carry it).
bool XWindowNamed(const std::string& utf8Name) {
  const fs::path script = ArtifactsDir() / "search-window.sh";
  WriteFile(script, "exec /usr/bin/xdotool search --name '^" + utf8Name + "$'\n");
  const char* unixArtifacts = std::getenv("KOVO_ARTIFACTS_DIR_UNIX");
  return unixArtifacts && RunHostProgram("sh", {std::string(unixArtifacts) + "/search-window.sh"});
}

std::string ReadLog() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return ReadFile(fs::path(temp) / "KovoPlugin.Installer" / "web_setup.log");
}

TEST(ProgramUnderWine, ImportsOnlyKnownDllsAndPlantedOnesAreNeverLoaded) {
  const fs::path program = ProgramInDownloads("planted");
  const fs::path planted = BuildFolder() / "tests" / "planted";
  DeleteFileW(kPlantedMarker);
  for (const char* name : {"d3d11.dll", "dxgi.dll", "dwmapi.dll", "d3dcompiler_47.dll",
                           "version.dll", "uxtheme.dll"}) {
    fs::copy_file(planted / name, program.parent_path() / name,
                  fs::copy_options::overwrite_existing);
  }
  // The planted library does what it is meant to when a process loads it
  // (one this test process has not loaded yet).
  {
    HMODULE probe = LoadLibraryW((program.parent_path() / "d3dcompiler_47.dll").wstring().c_str());
    ASSERT_NE(probe, nullptr);
    FreeLibrary(probe);
    ASSERT_TRUE(fs::exists(kPlantedMarker));
    DeleteFileW(kPlantedMarker);
  }

  Program run(program, L"-sE");
  ASSERT_TRUE(run.Started());
  // Up to the window (whose device needs d3d11, dxgi and the shader compiler).
  WaitForWindow(run, nullptr, 60s);
  std::this_thread::sleep_for(2s);
  EXPECT_FALSE(fs::exists(kPlantedMarker)) << ReadFile(kPlantedMarker);
  TakeScreenshot("planted-dlls");
}

// Starts the program with the shader compiler disabled in the given locale,
// checks the box, closes it as a user would and checks the exit code.
void CheckMissingCompilerBox(const std::string& locale, const std::wstring& title,
                             const std::string& phrase, const std::string& screenshot) {
  // Wine reads its DLL overrides from the host environment of a process, so
  // the program is started through the host with d3dcompiler_47 disabled.
  const fs::path program = ProgramInDownloads("no compiler");
  const std::string prefix = EnvironmentText("KOVO_WINEPREFIX_UNIX");
  const std::string artifacts = EnvironmentText("KOVO_ARTIFACTS_DIR_UNIX");
  ASSERT_FALSE(prefix.empty());
  ASSERT_FALSE(artifacts.empty());
  const fs::path status = ArtifactsDir() / "no-compiler.status";
  fs::remove(status);
  WriteFile(ArtifactsDir() / "no-compiler.sh",
            "export WINEPREFIX='" + prefix + "' DISPLAY='" + EnvironmentText("KOVO_DISPLAY") +
                "' LANG='" + locale + "' LC_ALL='" + locale +
                "'\n"
                "export WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d;"
                "d3dcompiler_47=d'\n"
                "/usr/lib/wine/wine64 '" +
                prefix +
                "/drive_c/users/Public/Downloads/no compiler folder/kovoplugin-setup-web.exe'\n"
                "echo $? > '" +
                artifacts +
                "/no-compiler.status.part'\n"
                "mv '" +
                artifacts + "/no-compiler.status.part' '" + artifacts + "/no-compiler.status'\n");
  ASSERT_TRUE(update_server_detail::StartHostProgram("/bin/sh", {artifacts + "/no-compiler.sh"}));
  const auto ended = [&] { return fs::exists(status); };

  HWND box = nullptr;
  WaitUntil([&] { return (box = FindWindowW(L"#32770", title.c_str())) || ended(); }, 60s);
  ASSERT_NE(box, nullptr) << "no message box; exit status " << ReadFile(status) << "\nlog:\n"
                          << ReadLog();
  const std::string text = DialogText(box);
  EXPECT_NE(text.find("D3DCompiler_47.dll"), std::string::npos) << text;
  EXPECT_NE(text.find("KB4019990"), std::string::npos) << text;
  EXPECT_NE(text.find(phrase), std::string::npos) << text;
  std::this_thread::sleep_for(1500ms);  // until it is drawn
  EXPECT_FALSE(ended());                // the box waits for the user
  TakeScreenshot(screenshot);

  // The user presses Enter over the box (focus follows the pointer here).
  RECT rect{};
  GetWindowRect(box, &rect);
  XDoTool({"mousemove", std::to_string((rect.left + rect.right) / 2),
           std::to_string((rect.top + rect.bottom) / 2)});
  std::this_thread::sleep_for(300ms);
  XDoTool({"key", "Return"});
  if (!WaitUntil(ended, 10s)) {
    PostMessageW(box, WM_CLOSE, 0, 0);  // never leave a box open in CI
    ADD_FAILURE() << "the box did not close on Enter";
  }
  ASSERT_TRUE(WaitUntil(ended, 20s));
  // -1 as the host sees a Windows exit code.
  EXPECT_EQ(ReadFile(status), "255\n");
  const std::string log = ReadLog();
  EXPECT_NE(log.find("Could not instantiate Application"), std::string::npos) << log;
  EXPECT_NE(log.find("d3dcompiler_47.dll is missing"), std::string::npos) << log;
}

TEST(ProgramUnderWine, WithoutTheShaderCompilerTheUserIsToldWhatIsMissing) {
  CheckMissingCompilerBox("C.UTF-8", L"Lumo Plugin Installer", "Install the Windows update",
                          "missing-shader-compiler-en");
}

TEST(ProgramUnderWine, WithoutTheShaderCompilerARussianUserIsToldInRussian) {
  CheckMissingCompilerBox("ru_RU.UTF-8", L"Установка КОВО Плагин", "Установите обновление",
                          "missing-shader-compiler-ru");
}

TEST(ProgramUnderWine, ShowsItsWindowAndASecondStartBringsItToTheFront) {
  UpdateServerProcess::Options options;
  options.port = kUpdatePort;
  UpdateServerProcess server(options);

  const fs::path program = ProgramInDownloads("single instance");
  Program first(program, L"");
  ASSERT_TRUE(first.Started());
  HWND window = WaitForWindow(first, kMainWindowTitle, 60s);
  ASSERT_NE(window, nullptr) << "no window titled КОВО Плагин; log:\n" << ReadLog();
  EXPECT_TRUE(XWindowNamed(kMainWindowTitleUtf8));
  TakeScreenshot("first-copy");

  // A window of ours in front of it, then the second start.
  HWND cover = CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 900,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(cover, nullptr);
  SetForegroundWindow(cover);
  ASSERT_EQ(GetForegroundWindow(), cover);
  Program second(program, L"-sE");
  ASSERT_TRUE(second.Started());
  ASSERT_TRUE(second.Ended(20s));
  EXPECT_EQ(second.ExitCode(), 0u);
  // Records carry "[session, process, thread]": none may be the second copy's.
  EXPECT_EQ(ReadLog().find(", " + std::to_string(second.Id()) + ", "), std::string::npos)
      << "the second copy logged";
  EXPECT_EQ(GetForegroundWindow(), window);
  TakeScreenshot("after-second-start");
  DestroyWindow(cover);
  EXPECT_FALSE(first.Ended(0ms));
  EXPECT_NE(server.Log().find("version.txt"), std::string::npos) << server.Log();
}

TEST(ProgramUnderWine, AMutexWithoutTheWindowDoesNotStopAStart) {
  // Another process holds the mutex but shows no installer window (a copy
  // still starting, or one that hangs before its window): this one runs.
  UniqueHandle mutex(CreateMutexW(nullptr, TRUE, L"KovoPlugin-Web-Installer"));
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  UpdateServerProcess::Options options;
  options.port = kUpdatePort;
  UpdateServerProcess server(options);

  Program run(ProgramInDownloads("held mutex"), L"");
  ASSERT_TRUE(run.Started());
  EXPECT_NE(WaitForWindow(run, kMainWindowTitle, 60s), nullptr) << ReadLog();
  EXPECT_FALSE(run.Ended(0ms));
}

TEST(ProgramUnderWine, RestrictedSearchIgnoresADllBesideTheProgram) {
  // The same lookup by name that a delay-load stub makes: a planted DLL is
  // taken from the program's folder unless the search was restricted first.
  const fs::path folder = fs::path(L"C:\\users\\Public\\Downloads\\search probe");
  fs::create_directories(folder);
  const fs::path probe = folder / "dll_search_probe.exe";
  fs::copy_file(BuildFolder() / "tests" / "dll_search_probe.exe", probe,
                fs::copy_options::overwrite_existing);
  fs::copy_file(BuildFolder() / "tests" / "planted" / "dwmapi.dll", folder / "dwmapi.dll",
                fs::copy_options::overwrite_existing);
  struct Case {
    const wchar_t* mode;
    bool plantedLoaded;
  };
  for (const Case c : {Case{L"plain", true}, Case{L"restricted", false}}) {
    DeleteFileW(kPlantedMarker);
    Program run(probe, c.mode);
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.Ended(30s));
    EXPECT_EQ(fs::exists(kPlantedMarker), c.plantedLoaded)
        << std::string(c.mode, c.mode + wcslen(c.mode));
  }
}

}  // namespace
}  // namespace kovo::testing
