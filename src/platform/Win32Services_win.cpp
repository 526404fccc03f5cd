// Win32 system services. Everything goes through the ANSI ("A") entry points because the whole
// program works in 8-bit text of the system code page.
#include "platform/Win32Services_win.h"

#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace saver {
namespace {

HWND toHwnd(WindowHandle w) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(w));
}

// An open HKEY under HKEY_CURRENT_USER, closed with the object.
class Win32RegistryKey final : public RegistryKey {
  public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    RegValue read(const std::string& name) override {
        RegValue value;
        DWORD type = 0;
        DWORD size = 0;
        // First ask for type and size only, then fetch the data into a buffer of that size.
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return value;  // Missing
        std::vector<BYTE> data(size + 2, 0);
        DWORD got = size;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, data.data(), &got) !=
            ERROR_SUCCESS) {
            value.type = RegType::Other;  // present, but it cannot be read
            return value;
        }
        if (type == REG_DWORD && got == sizeof(DWORD)) {
            value.type = RegType::Dword;
            std::memcpy(&value.dword, data.data(), sizeof(DWORD));
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            value.type = RegType::String;
            // Stored strings may or may not carry their terminating zero.
            std::string text(reinterpret_cast<const char*>(data.data()), got);
            while (!text.empty() && text.back() == '\0') text.pop_back();
            value.text = std::move(text);
        } else {
            value.type = RegType::Other;
        }
        return value;
    }

    bool writeDword(const std::string& name, std::uint32_t value) override {
        const DWORD v = value;
        return RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                              sizeof(v)) == ERROR_SUCCESS;
    }

  private:
    HKEY key_;
};

}  // namespace

std::vector<std::string> Win32Services::commandLineArguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc && __argv != nullptr; ++i) args.emplace_back(__argv[i]);
    return args;
}

std::string Win32Services::moduleFileName() {
    // GetModuleFileNameA truncates silently; grow the buffer until the whole path fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), buffer.size());
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        if (buffer.size() >= 32768) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string Win32Services::tempPath() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof(buffer), buffer);
    if (n == 0 || n > sizeof(buffer)) return {};
    std::string path(buffer, n);
    if (path.back() != '\\') path += '\\';
    return path;
}

bool Win32Services::createGuardMutex(const std::string& name) {
    HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (h == nullptr) {
        // Could not create or open it at all (e.g. the name belongs to another object type):
        // there is no guard to hold, and nothing says another instance runs.
        return true;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return false;
    }
    if (guard_ == nullptr) guard_ = h;  // kept until the process ends
    return true;
}

WindowHandle Win32Services::foregroundWindow() {
    return static_cast<WindowHandle>(reinterpret_cast<INT_PTR>(GetForegroundWindow()));
}

void Win32Services::setForegroundWindow(WindowHandle window) {
    SetForegroundWindow(toHwnd(window));
}

std::string Win32Services::shellDisplayName(const std::string& path) {
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}

MessageBoxAnswer Win32Services::messageBox(const std::string& text, const std::string& caption,
                                           MessageBoxKind kind) {
    UINT style = MB_OK | MB_TASKMODAL;
    if (kind == MessageBoxKind::OkError) style = MB_OK | MB_ICONERROR | MB_TASKMODAL;
    if (kind == MessageBoxKind::YesNo) style = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL;
    const int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    if (answer == IDYES) return MessageBoxAnswer::Yes;
    if (answer == IDNO) return MessageBoxAnswer::No;
    return MessageBoxAnswer::Ok;
}

std::uint64_t Win32Services::clockSeed() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    // The tick count alone repeats between two quick starts; the counter adds fine grain.
    return GetTickCount64() ^
           (static_cast<std::uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ull);
}

CodePages Win32Services::codePages() {
    return CodePages{GetOEMCP(), GetACP()};
}

std::unique_ptr<RegistryKey> Win32Services::openUserKey(const std::string& subKey, bool create) {
    HKEY key = nullptr;
    LONG status;
    if (create) {
        status =
            RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    } else {
        status = RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key);
        // A key the user may read but not write still serves the reads.
        if (status == ERROR_ACCESS_DENIED)
            status = RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key);
    }
    if (status != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace saver
