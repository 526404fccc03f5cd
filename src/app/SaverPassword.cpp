// The password decisions. The registry and the libraries are optional parts of the system: a
// missing key, value, library or export means that no password is in use, never an error. The
// one thing that must not happen is a show that cannot be closed, so every failure on the way
// answers yes.
#include "app/SaverPassword.h"

#include "payload/Runtime.h"

namespace saver {

namespace {

// Shows the cursor for the password dialog and hides it again however the check ends, so the
// show's cursor count stays balanced.
class CursorShown {
  public:
    CursorShown(PasswordLibraries& libs, bool active) : libs_(libs), active_(active) {
        if (active_) libs_.showCursor(true);
    }
    ~CursorShown() {
        if (!active_) return;
        try {
            libs_.showCursor(false);
        } catch (...) {
            // Nothing better to do about a cursor that cannot be hidden.
        }
    }
    CursorShown(const CursorShown&) = delete;
    CursorShown& operator=(const CursorShown&) = delete;

  private:
    PasswordLibraries& libs_;
    bool active_;
};

// Only a DWORD other than 0 turns the password on; a value of any other type is treated like
// a missing one.
bool passwordInUse(Runtime& rt) {
    const std::unique_ptr<RegistryKey> key = rt.sys.openUserKey(kPasswordKey, false);
    if (!key) return false;
    const RegValue value = key->read(kPasswordValue);
    return value.type == RegType::Dword && value.dword != 0;
}

bool askPassword(PasswordLibraries& libs, WindowHandle owner, bool handleCursor) {
    CursorShown cursor(libs, handleCursor);
    const std::string path = SystemLibraryPath(libs.systemDirectory(), "PASSWORD.CPL");
    if (path.empty()) return true;
    const std::optional<int> answer = libs.callVerifyScreenSavePwd(path, owner);
    return !answer || *answer != 0;
}

}  // namespace

std::string SystemLibraryPath(const std::string& systemDirectory, const std::string& fileName) {
    if (systemDirectory.empty()) return "";
    if (systemDirectory.back() == '\\') return systemDirectory + fileName;
    return systemDirectory + "\\" + fileName;
}

bool VerifySaverPassword(Runtime& rt, PasswordLibraries& libs, WindowHandle owner,
                         bool handleCursor) {
    // A role with a parent window (preview, password change) never runs the show's exit; a
    // copy run as .exe plays full screen whatever its command line says and must stay closable.
    if (rt.ParentWindowHandle != 0 && !rt.RunAsExe) return false;
    try {
        if (!passwordInUse(rt)) return true;
        return askPassword(libs, owner, handleCursor);
    } catch (...) {
        return true;
    }
}

int ChangeSaverPassword(Runtime& rt, PasswordLibraries& libs) {
    try {
        const std::string path = SystemLibraryPath(libs.systemDirectory(), "MPR.DLL");
        if (path.empty()) return -1;
        return libs.callPwdChangePassword(path, "SCRSAVE", rt.ParentWindowHandle).value_or(-1);
    } catch (...) {
        return -1;
    }
}

}  // namespace saver
