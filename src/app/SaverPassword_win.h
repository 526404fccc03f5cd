// PasswordLibraries over the Win32 API: GetSystemDirectoryA, LoadLibraryA / GetProcAddress /
// FreeLibrary for PASSWORD.CPL and MPR.DLL, and ShowCursor.
#pragma once

#include "app/SaverPassword.h"

namespace saver {

class Win32PasswordLibraries final : public PasswordLibraries {
  public:
    std::string systemDirectory() override;
    std::optional<int> callVerifyScreenSavePwd(const std::string& libraryPath,
                                               WindowHandle owner) override;
    std::optional<int> callPwdChangePassword(const std::string& libraryPath,
                                             const std::string& provider,
                                             WindowHandle parent) override;
    void showCursor(bool show) override;
};

}  // namespace saver
