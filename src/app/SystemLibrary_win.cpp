// LOAD_WITH_ALTERED_SEARCH_PATH makes the library's own dependencies resolve from its folder
// as well, rather than from the program's folder first.
#include "app/SystemLibrary_win.h"

#include "app/SaverPassword.h"

namespace saver {

std::string SystemFolder() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    // 0 is failure; a length of MAX_PATH or more means the buffer was too small.
    if (length == 0 || length >= MAX_PATH) return "";
    return std::string(buffer, length);
}

HMODULE LoadSystemLibrary(const std::string& fileName) {
    const std::string path = SystemLibraryPath(SystemFolder(), fileName);
    if (path.empty()) return nullptr;
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace saver
