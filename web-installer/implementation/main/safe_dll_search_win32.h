// Keeps DLLs lying beside the program (a browser's download folder) from
// being loaded into this elevated process.
#pragma once

namespace kovo::plugin::web::installer {

// Call first thing in the entry point, before anything loads a DLL: every
// later LoadLibrary by name, delay-loaded imports included, looks only in the
// system folder. Where SetDefaultDllDirectories is missing (Windows 7 SP1
// without its 2011 update) the current folder leaves the search and the
// delay-loaded system DLLs are loaded at once from the system folder by full
// path, so that the later lookups by name find them already loaded.
void RestrictDllSearchToSystemFolder();

// Whether the Direct3D shader compiler can be loaded from the system folder.
bool ShaderCompilerAvailable();

}  // namespace kovo::plugin::web::installer
