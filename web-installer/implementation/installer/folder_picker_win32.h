// The shell's folder dialog, with which the user picks the install folder.
#pragma once

#include <string>

// The handle type of <windows.h> (STRICT), declared here so that callers need
// not include it.
struct HWND__;

namespace kovo::plugin::web::installer {

// Opens the dialog over owner, starting at the folder above the product's own
// folders (that shortened folder is written back to folder at once, or the
// default "%ProgramFiles(x86)%" when it does not exist). Returns true with the
// composed install folder in folder when the user chose one; false when the
// dialog failed or was cancelled. Blocks the calling (GUI) thread while the
// dialog is open; initialises COM single-threaded on that thread first.
bool PickFolder(std::wstring& folder, HWND__* owner);

}  // namespace kovo::plugin::web::installer
