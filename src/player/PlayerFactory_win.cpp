// The version resource is read through version.dll loaded on demand from the system folder, so
// the program does not import it for this one question at start-up.
#include "player/PlayerFactory_win.h"

#include <vector>

#include "app/SystemLibrary_win.h"
#include "player/ActiveXPlayer_win.h"
#include "player/BuiltinPlayer_win.h"

namespace saver {

namespace {

constexpr const char* kServerKey = "CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32";

std::optional<std::string> ReadServerPath() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char value[MAX_PATH * 2] = {};
    DWORD type = 0, size = sizeof value - 1;
    const LONG rc =
        RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    std::string path(value);
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH * 2] = {};
        const DWORD n = ExpandEnvironmentStringsA(path.c_str(), expanded, sizeof expanded);
        if (n > 0 && n <= sizeof expanded) path = expanded;
    }
    return path;
}

std::optional<FileVersion> ReadFileVersion(const std::string& path) {
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    HMODULE library = LoadSystemLibrary("version.dll");
    if (!library) return std::nullopt;
    const auto getSize = reinterpret_cast<SizeFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeA")));
    const auto getInfo = reinterpret_cast<InfoFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoA")));
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueA")));
    std::optional<FileVersion> version;
    DWORD ignored = 0;
    const DWORD size = (getSize && getInfo && query) ? getSize(path.c_str(), &ignored) : 0;
    if (size > 0) {
        std::vector<char> block(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (getInfo(path.c_str(), 0, size, block.data()) &&
            query(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) && fixed &&
            length >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == 0xFEEF04BD)
            version = FileVersionOf(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    }
    FreeLibrary(library);
    return version;
}

}  // namespace

FlashControlRegistration FindFlashControl() {
    FlashControlRegistration found;
    const auto path = ReadServerPath();
    if (!path || path->empty()) return found;
    found.registered = true;
    found.serverPath = *path;
    found.version = ReadFileVersion(*path);
    return found;
}

std::unique_ptr<PlayerControl> CreatePlayer(HWND parent, FileSystem& fs) {
    const FlashControlRegistration control = FindFlashControl();
    if (ChoosePlayer(control.registered, control.version) == PlayerKind::ActiveX) {
        try {
            return CreateActiveXPlayer(parent);
        } catch (const PlayerError&) {
            // Registered but not working (a missing or broken server): ours plays instead.
        }
    }
    return BuiltinPlayerWindow::create(parent, BuiltinPlayer::ReaderFor(fs));
}

}  // namespace saver
