// The Windows screensaver password: asked before the full-screen show may close, and changed
// when Windows starts the program with /a <window>.
//
// Both answers come from system libraries that are loaded at run time from the system folder
// (PASSWORD.CPL for the check, MPR.DLL for the change). The decisions around them live here and
// reach the libraries only through PasswordLibraries, so that they run against a fake on the
// host; Win32PasswordLibraries (SaverPassword_win.h) is the real one.
#pragma once

#include <optional>
#include <string>

#include "platform/SystemServices.h"

namespace saver {

struct Runtime;

// The system libraries behind the password, and the cursor around the check's dialog.
class PasswordLibraries {
  public:
    virtual ~PasswordLibraries() = default;
    // The system folder, with or without a trailing "\"; "" when it cannot be found.
    virtual std::string systemDirectory() = 0;
    // Loads the library at libraryPath, calls its VerifyScreenSavePwd(owner) and frees the
    // library again. The function's result; nullopt when the library does not load or has no
    // such export.
    virtual std::optional<int> callVerifyScreenSavePwd(const std::string& libraryPath,
                                                       WindowHandle owner) = 0;
    // Loads the library at libraryPath, calls its PwdChangePasswordA(provider, parent, 0, 0)
    // and frees the library again. The function's result; nullopt when it was not called.
    virtual std::optional<int> callPwdChangePassword(const std::string& libraryPath,
                                                     const std::string& provider,
                                                     WindowHandle parent) = 0;
    // ShowCursor(TRUE) / ShowCursor(FALSE).
    virtual void showCursor(bool show) = 0;
};

// HKEY_CURRENT_USER key and value that say whether a screensaver password is in use.
inline constexpr const char* kPasswordKey = "Control Panel\\desktop";
inline constexpr const char* kPasswordValue = "ScreenSaveUsePassword";

// systemDirectory + "\" (unless it ends in one) + fileName; "" when systemDirectory is "", so
// that nothing is ever loaded by a bare name from the search path.
std::string SystemLibraryPath(const std::string& systemDirectory, const std::string& fileName);

// True when the show may close. No while the program runs a screensaver role with a parent
// window (a copy run as .exe is no such role: its window must always be closable). Yes without
// asking when HKCU "Control Panel\desktop" does not open or its "ScreenSaveUsePassword" is
// missing, DWORD 0 or of any other type than DWORD. Otherwise the answer of PASSWORD.CPL's
// VerifyScreenSavePwd(owner) (non-zero = yes), with the cursor shown around the call when
// handleCursor is set; yes when the library or its export is missing. Never throws: any error
// answers yes.
bool VerifySaverPassword(Runtime& rt, PasswordLibraries& libs, WindowHandle owner,
                         bool handleCursor);

// Calls MPR.DLL's PwdChangePasswordA("SCRSAVE", rt.ParentWindowHandle, 0, 0) and returns its
// result; -1 when it was not called (library or export missing, any error). Never throws.
int ChangeSaverPassword(Runtime& rt, PasswordLibraries& libs);

}  // namespace saver
