// The Windows entry point: a thin shell around RunProgramEntry.
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <memory>

#include "app_controller/app_controller.h"
#include "installer/install_history.h"
#include "installer/text_conversion.h"
#include "kovo-ui-imgui/application/application.h"
#include "kovo-ui-imgui/logger/logger.h"
#include "main/program_entry.h"
#include "main/safe_dll_search_win32.h"
#include "main/single_instance_win32.h"
#include "translator/lang.h"

namespace kovo::plugin::web::installer {
namespace {

namespace ui = desktop::ui::imgui;

class Win32EntryPlatform final : public EntryPlatform {
 public:
  bool IsAnotherInstanceRunning(const std::wstring& mutexName,
                                const std::wstring& windowTitle) override {
    return installer::IsAnotherInstanceRunning(mutexName, windowTitle);
  }

  void RecordHistoryStart() override { InstallHistory::Instance().RecordStart(); }

  void CompleteHistory() override {
    InstallHistory::Instance().RecordCompletion();
    InstallHistory::Instance().Write();
  }

  bool CreateApplication(ui::ApplicationCreateInfo&& info) override {
    application_ = ui::Application::Create<AppController>(std::move(info));
    return application_ != nullptr;
  }

  int ExecApplication() override { return application_->Exec(); }

  void ExplainMissingApplication() override {
    if (ShaderCompilerAvailable()) return;
    LOG_ERROR("d3dcompiler_47.dll is missing from the system folder (Windows update KB4019990)");
    const MissingComponentMessage message = MissingShaderCompilerMessage(CurrentLanguage());
    MessageBoxW(nullptr, ToWide(message.text).c_str(), ToWide(message.title).c_str(),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }

 private:
  // Destroyed after the history is written, when the entry returns.
  std::unique_ptr<ui::Application> application_;
};

}  // namespace
}  // namespace kovo::plugin::web::installer

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kovo::plugin::web::installer::RestrictDllSearchToSystemFolder();
  kovo::plugin::web::installer::Win32EntryPlatform platform;
  return kovo::plugin::web::installer::RunProgramEntry(__argc, __wargv, platform);
}
