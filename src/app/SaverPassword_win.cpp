// The libraries are loaded for the one call and freed right after it: the check runs at most a
// few times per show and the change once per process, so nothing is gained by keeping them.
#include "app/SaverPassword_win.h"

#include <windows.h>

#include <cstdint>

#include "app/SystemLibrary_win.h"

namespace saver {

namespace {

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using PwdChangePasswordAFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

HWND toHwnd(WindowHandle handle) {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}

// A loaded library, freed with the object.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
    ~LoadedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // The export's address as a function pointer of type Fn; nullptr when it is missing.
    template <typename Fn>
    Fn function(const char* name) const {
        if (!module_) return nullptr;
        // The export's real type is known only by name; the cast goes through the generic
        // function pointer type that GetProcAddress returns.
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_;
};

}  // namespace

std::string Win32PasswordLibraries::systemDirectory() {
    return SystemFolder();
}

std::optional<int> Win32PasswordLibraries::callVerifyScreenSavePwd(const std::string& libraryPath,
                                                                   WindowHandle owner) {
    const LoadedLibrary library(libraryPath);
    const auto verify = library.function<VerifyScreenSavePwdFn>("VerifyScreenSavePwd");
    if (!verify) return std::nullopt;
    return static_cast<int>(verify(toHwnd(owner)));
}

std::optional<int> Win32PasswordLibraries::callPwdChangePassword(const std::string& libraryPath,
                                                                 const std::string& provider,
                                                                 WindowHandle parent) {
    const LoadedLibrary library(libraryPath);
    const auto change = library.function<PwdChangePasswordAFn>("PwdChangePasswordA");
    if (!change) return std::nullopt;
    return static_cast<int>(change(provider.c_str(), toHwnd(parent), 0, 0));
}

void Win32PasswordLibraries::showCursor(bool show) {
    ShowCursor(show ? TRUE : FALSE);
}

}  // namespace saver
