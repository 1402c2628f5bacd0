// The program's start and end, apart from the operating system: the steps of
// the entry in their order, the command-line switches, the log file, the
// application's creation parameters and the exit codes. The Windows entry
// point (main_win32.cpp) supplies the platform; native tests supply a fake.
//
// Threads: everything here runs on the process's first thread, before the
// application starts any other thread (and after they have ended).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kovo-ui-imgui/application/application_create_info.h"

namespace kovo::plugin::web::installer {

class ProgramOptions;

inline constexpr wchar_t kSingleInstanceMutexName[] = L"KovoPlugin-Web-Installer";
// The caption of the installer page's window (UTF-8 "КОВО Плагин").
inline constexpr wchar_t kMainWindowTitle[] =
    L"\u041a\u041e\u0412\u041e \u041f\u043b\u0430\u0433\u0438\u043d";
inline constexpr char kProgramName[] = "kovoplugin-setup-web";

// Exit codes of the process besides the result of Application::Exec (0 after
// a run, 1 when the main controller could not be made).
inline constexpr int kExitGaveWayToRunningCopy = 0;
inline constexpr int kExitNoApplication = -1;

// The stage switches a command line leaves on: "-sE", "-sD", "-sI" and "-sA"
// each clear one when an argument equals it exactly (whole argument,
// case-sensitive); nothing else means anything.
struct StageSwitches {
  bool checkEnvironment = true;
  bool downloadPackage = true;
  bool installPackage = true;
  bool analyzeInstallLog = true;

  bool operator==(const StageSwitches& other) const {
    return checkEnvironment == other.checkEnvironment && downloadPackage == other.downloadPackage &&
           installPackage == other.installPackage && analyzeInstallLog == other.analyzeInstallLog;
  }
};

// Arguments 1 to count-1 (the first is the program's own path); a null or
// empty vector gives none.
std::vector<std::wstring> ArgumentList(int count, const wchar_t* const* values);
StageSwitches ReadStageSwitches(const std::vector<std::wstring>& arguments);
void ApplyStageSwitches(const StageSwitches& switches, ProgramOptions& options);

// "<expanded %TMP%>\KovoPlugin.Installer" and the log file in it.
std::wstring LogFolder(const std::wstring& expandedTemp);
std::wstring LogFile(const std::wstring& logFolder);

// The defaults with the program's name as window title, the software device
// only, and polling.
desktop::ui::imgui::ApplicationCreateInfo MakeCreateInfo();

// What the user is told when the window cannot be made because the shader
// compiler of Direct3D is missing (Windows 7 without update KB4019990).
struct MissingComponentMessage {
  std::string title;  // UTF-8
  std::string text;   // UTF-8
};
MissingComponentMessage MissingShaderCompilerMessage(int language);

// What the entry needs from the system and the framework.
class EntryPlatform {
 public:
  virtual ~EntryPlatform() = default;
  // True when a copy that owns the mutex shows a window with the title; that
  // window has then been brought to the front and redrawn.
  virtual bool IsAnotherInstanceRunning(const std::wstring& mutexName,
                                        const std::wstring& windowTitle) = 0;
  virtual void RecordHistoryStart() = 0;
  // Completes the install history and writes its file.
  virtual void CompleteHistory() = 0;
  // False when the framework could not create the application (it logged why).
  virtual bool CreateApplication(desktop::ui::imgui::ApplicationCreateInfo&& info) = 0;
  // Runs the application created last; its result.
  virtual int ExecApplication() = 0;
  // After a failed creation: tells the user what is missing, when the
  // platform can tell (a dialog the user closes).
  virtual void ExplainMissingApplication() = 0;
};

// The entry's steps in order; the process exit code.
int RunProgramEntry(int count, const wchar_t* const* values, EntryPlatform& platform);

}  // namespace kovo::plugin::web::installer
