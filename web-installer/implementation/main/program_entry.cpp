#include "main/program_entry.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "installer/program_options.h"
#include "installer/system_services.h"
#include "kovo-ui-imgui/logger/logger.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {

namespace {

bool Present(const std::vector<std::wstring>& arguments, const wchar_t* name) {
  return std::find(arguments.begin(), arguments.end(), name) != arguments.end();
}

}  // namespace

std::vector<std::wstring> ArgumentList(int count, const wchar_t* const* values) {
  std::vector<std::wstring> arguments;
  if (!values) return arguments;
  for (int index = 1; index < count; ++index) {
    arguments.emplace_back(values[index] ? values[index] : L"");
  }
  return arguments;
}

StageSwitches ReadStageSwitches(const std::vector<std::wstring>& arguments) {
  StageSwitches switches;
  if (Present(arguments, L"-sE")) switches.checkEnvironment = false;
  if (Present(arguments, L"-sD")) switches.downloadPackage = false;
  if (Present(arguments, L"-sI")) switches.installPackage = false;
  if (Present(arguments, L"-sA")) switches.analyzeInstallLog = false;
  return switches;
}

void ApplyStageSwitches(const StageSwitches& switches, ProgramOptions& options) {
  if (!switches.checkEnvironment) options.SetCheckEnvironment(false);
  if (!switches.downloadPackage) options.SetDownloadPackage(false);
  if (!switches.installPackage) options.SetInstallPackage(false);
  if (!switches.analyzeInstallLog) options.SetAnalyzeInstallLog(false);
}

std::wstring LogFolder(const std::wstring& expandedTemp) {
  return expandedTemp + L"\\KovoPlugin.Installer";
}

std::wstring LogFile(const std::wstring& logFolder) { return logFolder + L"\\web_setup.log"; }

desktop::ui::imgui::ApplicationCreateInfo MakeCreateInfo() {
  desktop::ui::imgui::ApplicationCreateInfo info;
  info.gui.window.title = kProgramName;
  info.gui.device.driver = 1;
  info.wait_events = false;
  return info;
}

MissingComponentMessage MissingShaderCompilerMessage(int language) {
  if (language == kLanguageEnglish) {
    return {"Lumo Plugin Installer",
            "The installer cannot start: Windows lacks the Direct3D shader compiler "
            "(D3DCompiler_47.dll).\n\n"
            "Install the Windows update KB4019990 from Windows Update or the Microsoft "
            "Update Catalog, then run the installer again."};
  }
  return {"Установка КОВО Плагин",
          "Установщик не может запуститься: в Windows нет компилятора шейдеров Direct3D "
          "(D3DCompiler_47.dll).\n\n"
          "Установите обновление Windows KB4019990 через Центр обновления Windows или "
          "каталог Центра обновления Майкрософт и запустите установщик снова."};
}

int RunProgramEntry(int count, const wchar_t* const* values, EntryPlatform& platform) {
  if (platform.IsAnotherInstanceRunning(kSingleInstanceMutexName, kMainWindowTitle)) {
    return kExitGaveWayToRunningCopy;
  }
  platform.RecordHistoryStart();

  ApplyStageSwitches(ReadStageSwitches(ArgumentList(count, values)), ProgramOptions::Instance());

  SystemServices& services = Services();
  // A failed expansion (an empty result) or folder leaves a log file the
  // logger cannot open: its records are dropped and the program goes on.
  const std::wstring folder = LogFolder(services.ExpandEnvironment(L"%TMP%"));
  try {
    if (!services.FileExists(folder)) services.CreateFolder(folder);
  } catch (const std::exception&) {
    // A folder whose state cannot even be read is one the log cannot use.
  }
  desktop::ui::imgui::SetLogFile(LogFile(folder));

  DetectLanguage();

  if (!platform.CreateApplication(MakeCreateInfo())) {
    LOG_DEBUG("Could not instantiate Application");
    platform.ExplainMissingApplication();
    return kExitNoApplication;
  }
  const int exitCode = platform.ExecApplication();
  platform.CompleteHistory();
  return exitCode;
}

}  // namespace kovo::plugin::web::installer
