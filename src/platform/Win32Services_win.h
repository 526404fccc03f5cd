// SystemServices over the Win32 ANSI API: module path, temp folder, the guard mutex, the
// foreground window, shell display names, message boxes, a clock seed and HKEY_CURRENT_USER.
//
// The guard mutex handle, once created, is kept until the process ends: the system releases it
// with the process, which is what tells a later screensaver that this one is gone.
#pragma once

#include <string>
#include <vector>

#include "platform/SystemServices.h"

namespace saver {

class Win32Services final : public SystemServices {
  public:
    Win32Services() = default;
    ~Win32Services() override = default;  // the guard handle deliberately stays open
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    std::string moduleFileName() override;
    std::string tempPath() override;
    bool createGuardMutex(const std::string& name) override;
    WindowHandle foregroundWindow() override;
    void setForegroundWindow(WindowHandle window) override;
    std::string shellDisplayName(const std::string& path) override;
    MessageBoxAnswer messageBox(const std::string& text, const std::string& caption,
                                MessageBoxKind kind) override;
    std::uint64_t clockSeed() override;
    CodePages codePages() override;
    std::unique_ptr<RegistryKey> openUserKey(const std::string& subKey, bool create) override;

    // The process's arguments without the program name, as the C runtime split the command
    // line by the usual Windows rules (quotes, backslashes), in the ANSI code page. The same for
    // console and GUI programs.
    static std::vector<std::string> commandLineArguments();

  private:
    void* guard_ = nullptr;  // HANDLE of the guard mutex, never closed
};

}  // namespace saver
