// LoadSystemLibrary: loads a library of the system folder by its full path, never by a bare
// name, so a DLL of the same name next to the screensaver or in the current folder is never
// picked up instead.
#pragma once

#include <windows.h>

#include <string>

namespace saver {

// The system folder (GetSystemDirectoryA) without a trailing "\"; "" when it cannot be found.
std::string SystemFolder();
// LoadLibraryExA of SystemFolder() + "\" + fileName. nullptr when the system folder is unknown
// or the library does not load; the caller frees a loaded module with FreeLibrary.
HMODULE LoadSystemLibrary(const std::string& fileName);

}  // namespace saver
