// The non-file half of the platform seam: module path, temp folder, guard mutex, foreground
// window, shell display names, message boxes, clock, code pages and the current user's registry.
// Win32Services implements it on Windows; FakeServices serves host tests and saverpack.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/CodePageText.h"

namespace saver {

using WindowHandle = std::int64_t;  // pointer-sized on 64-bit Windows

enum class RegType { Missing, Dword, String, Other };

struct RegValue {
    RegType type = RegType::Missing;
    std::uint32_t dword = 0;  // valid for Dword
    std::string text;         // valid for String
};

// An open key under HKEY_CURRENT_USER.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    // name "" reads the key's default value.
    virtual RegValue read(const std::string& name) = 0;
    virtual bool writeDword(const std::string& name, std::uint32_t value) = 0;
};

enum class MessageBoxKind { Ok, OkError, YesNo };
enum class MessageBoxAnswer { Ok, Yes, No };

class SystemServices {
  public:
    virtual ~SystemServices() = default;

    // Full path of the process's main module (not the command line's text).
    virtual std::string moduleFileName() = 0;
    // The user's temporary folder, ending with "\".
    virtual std::string tempPath() = 0;
    // Creates the named mutex unowned and keeps it for the life of the process. False when it
    // already existed (the handle is then closed again).
    virtual bool createGuardMutex(const std::string& name) = 0;
    virtual WindowHandle foregroundWindow() = 0;
    virtual void setForegroundWindow(WindowHandle window) = 0;
    // The name the shell displays for a file (long name for an 8.3 path); "" on failure.
    virtual std::string shellDisplayName(const std::string& path) = 0;
    virtual MessageBoxAnswer messageBox(const std::string& text, const std::string& caption,
                                        MessageBoxKind kind) = 0;
    // A value that changes from run to run, for seeding the random generator.
    virtual std::uint64_t clockSeed() = 0;
    // The system's OEM and ANSI code pages: archive member names arrive in the former, every
    // path and text of the program is in the latter.
    virtual CodePages codePages() = 0;
    // Opens HKEY_CURRENT_USER\subKey (no leading "\"); nullptr when it does not open.
    // With create, a missing key is created first.
    virtual std::unique_ptr<RegistryKey> openUserKey(const std::string& subKey, bool create) = 0;
};

}  // namespace saver
