// SystemServices without a system: everything is held in memory and can be set up and inspected
// by the caller. Host tests use it, and `saverpack inspect` runs start-up on it (no registry, no
// real mutex, a temp folder of its own).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/SystemServices.h"

namespace saver {

class FakeServices : public SystemServices {
  public:
    struct ShownMessage {
        std::string text;
        std::string caption;
        MessageBoxKind kind;
    };

    // What the system would report.
    std::string moduleName;                           // moduleFileName()
    std::string temp = "C:\\TEMP\\";                  // tempPath()
    WindowHandle foreground = 0;                      // foregroundWindow()
    std::map<std::string, std::string> displayNames;  // shellDisplayName(), by exact path
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;   // what every message box returns
    std::uint64_t seed = 20061208;                    // clockSeed()
    CodePages pages;                                  // codePages(): 437 and 1252 unless set

    // What the program did.
    std::vector<ShownMessage> messages;
    std::vector<WindowHandle> raisedWindows;  // setForegroundWindow() calls
    std::set<std::string> mutexes;            // names created, exactly as given (Windows
                                              // names of kernel objects are case-sensitive)

    // Registry under HKEY_CURRENT_USER; key paths and value names without regard to case.
    void setValue(const std::string& key, const std::string& name, const RegValue& value);
    void setDword(const std::string& key, const std::string& name, std::uint32_t value);
    void setString(const std::string& key, const std::string& name, const std::string& value);
    void createKey(const std::string& key);
    bool keyExists(const std::string& key) const;
    // The stored value; type Missing when the key or value is not there.
    RegValue value(const std::string& key, const std::string& name) const;

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

  private:
    // key (upper case) -> value name (upper case) -> value
    std::map<std::string, std::map<std::string, RegValue>> registry_;
};

}  // namespace saver
