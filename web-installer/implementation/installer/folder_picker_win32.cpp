#include "installer/folder_picker_win32.h"

#include <kovo-ui-imgui/logger/logger.h>
#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>

#include "installer/installed_product.h"
#include "installer/system_services.h"

namespace kovo::plugin::web::installer {

namespace {

using Microsoft::WRL::ComPtr;

// The program never initialises COM elsewhere, and the file dialog needs a
// single-threaded apartment on the thread that shows it. The apartment lives
// as long as the thread.
class ThreadComApartment {
 public:
  ThreadComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {
    if (FAILED(result_)) {
      LOG_WARN("COM initialisation for the folder dialog failed: 0x" << std::hex
                                                                     << static_cast<unsigned long>(result_));
    }
  }
  ~ThreadComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ThreadComApartment(const ThreadComApartment&) = delete;
  ThreadComApartment& operator=(const ThreadComApartment&) = delete;

 private:
  HRESULT result_;
};

void EnsureComOnThisThread() { thread_local ThreadComApartment apartment; }

struct CoTaskMemDeleter {
  void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};
using ShellText = std::unique_ptr<wchar_t, CoTaskMemDeleter>;

// Removing the product's folder names leaves doubled and trailing
// backslashes ("C:\Program Files (x86)\\"). The file system accepts them, but
// the shell's parser may not, and the dialog then opens at no folder at all.
std::wstring ParsableFolder(const std::wstring& folder) {
  std::wstring result;
  for (size_t i = 0; i < folder.size(); ++i) {
    const bool networkPrefix = i < 2;
    if (folder[i] == L'\\' && !networkPrefix && !result.empty() && result.back() == L'\\') continue;
    result += folder[i];
  }
  const bool driveRoot = result.size() == 3 && result[1] == L':';
  if (result.size() > 2 && result.back() == L'\\' && !driveRoot) result.pop_back();
  return result;
}

// Starts the dialog at folder, or at the default folder when that does not
// exist; the folder used is written back to the caller's folder.
void SetStartFolder(IFileOpenDialog& dialog, std::wstring& folder, const std::wstring& defaultFolder) {
  if (!Services().FileExists(folder)) folder = defaultFolder;
  ComPtr<IShellItem> startItem;
  if (SUCCEEDED(SHCreateItemFromParsingName(ParsableFolder(folder).c_str(), nullptr, IID_PPV_ARGS(&startItem)))) {
    dialog.SetFolder(startItem.Get());
  }
}

bool ChosenFolderName(IFileOpenDialog& dialog, std::wstring& name) {
  ComPtr<IShellItem> chosen;
  if (FAILED(dialog.GetResult(&chosen))) return false;
  wchar_t* rawName = nullptr;
  if (FAILED(chosen->GetDisplayName(SIGDN_DESKTOPABSOLUTEPARSING, &rawName)) || !rawName) return false;
  const ShellText owned(rawName);
  name = owned.get();
  return true;
}

}  // namespace

bool PickFolder(std::wstring& folder, HWND__* owner) {
  EnsureComOnThisThread();
  const std::wstring defaultFolder = Services().ExpandEnvironment(L"%ProgramFiles(x86)%");
  folder = ShortenPickerStartFolder(folder);

  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
    return false;
  }
  // Without its options the dialog is left as the shell made it, start folder included.
  FILEOPENDIALOGOPTIONS options = 0;
  if (SUCCEEDED(dialog->GetOptions(&options))) {
    dialog->SetOptions(options | FOS_PICKFOLDERS);
    SetStartFolder(*dialog.Get(), folder, defaultFolder);
  }
  if (FAILED(dialog->Show(owner))) return false;
  std::wstring chosenName;
  if (!ChosenFolderName(*dialog.Get(), chosenName)) return false;
  folder = ComposeInstallFolder(chosenName);
  return true;
}

}  // namespace kovo::plugin::web::installer
