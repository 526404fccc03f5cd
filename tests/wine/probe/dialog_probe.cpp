// Test-only program: finds the settings dialog of another process by its caption and reads or
// drives its controls, for the Wine tests of the dialog (test_config_*.sh).
//
// Usage: dialog_probe COMMAND [ARGS] [COMMAND [ARGS]...], run in order:
//   wait          until a dialog whose caption starts with "Zivuv Eredo Setting" is shown (20 s)
//   dump          one JSON object: caption, client size, position, screen size and, for every
//                 control of the dialog and its pages, id, class, text, visibility, enabled
//                 state, check state, list items and selection, rectangle in client pixels
//   click ID      BM_CLICK on the control (check boxes toggle, buttons press)
//   select ID N   selects item N of a drop-down list
//   settext ID T  sets the control's text
//   tab N         moves the page control to its tab N, as the arrow keys do
//   close         the frame's close button (WM_SYSCOMMAND SC_CLOSE)
//   gone          waits until the dialog no longer exists (20 s)
// Exit code 0, or 1 when the dialog was not found or a command failed.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kCaptionStart[] = "Zivuv Eredo Setting";
constexpr UINT kTimeoutMs = 5000;

HWND findDialog() {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            char cls[64] = {}, caption[512] = {};
            GetClassNameA(window, cls, sizeof(cls));
            GetWindowTextA(window, caption, sizeof(caption));
            if (std::string(cls) == "#32770" && std::string(caption).rfind(kCaptionStart, 0) == 0) {
                reinterpret_cast<Search*>(param)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

std::string textOf(HWND window) {
    const LRESULT length = send(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got =
        send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return text;
}

std::string json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof(esc), "\\u%04x", c);
            out += esc;
        } else if (c >= 0x80) {
            // Windows-1252 bytes as their code points (exact for Latin-1 letters).
            char esc[8];
            std::snprintf(esc, sizeof(esc), "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::vector<HWND> controlsOf(HWND dialog) {
    std::vector<HWND> all;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND controlById(HWND dialog, int id) {
    for (HWND child : controlsOf(dialog))
        if (GetDlgCtrlID(child) == id && GetParent(child) != nullptr) {
            char cls[64] = {};
            GetClassNameA(child, cls, sizeof(cls));
            if (std::string(cls) != "#32770") return child;  // not a page
        }
    return nullptr;
}

std::string listJson(HWND list, const char* countMsgName) {
    const bool combo = std::string(countMsgName) == "combo";
    const LRESULT count = send(list, combo ? CB_GETCOUNT : TCM_GETITEMCOUNT, 0, 0);
    std::string items = "[";
    for (LRESULT i = 0; combo && i < count; ++i) {
        // Asked for as UTF-16: Wine passes the ANSI form of this message between processes
        // as wide text without converting it back.
        wchar_t wide[256] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                            kTimeoutMs, &ignored);
        char text[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items += (i ? "," : "") + json(text);
    }
    items += "]";
    const LRESULT selected = send(list, combo ? CB_GETCURSEL : TCM_GETCURSEL, 0, 0);
    return ",\"count\":" + std::to_string(count) + ",\"items\":" + items +
           ",\"selected\":" + std::to_string(selected);
}

void dump(HWND dialog) {
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    std::printf(
        "{\"caption\":%s,\"client\":[%ld,%ld],\"window\":[%ld,%ld,%ld,%ld],"
        "\"screen\":[%d,%d],\"controls\":{",
        json(textOf(dialog)).c_str(), client.right, client.bottom, window.left, window.top,
        window.right - window.left, window.bottom - window.top, GetSystemMetrics(SM_CXSCREEN),
        GetSystemMetrics(SM_CYSCREEN));
    bool first = true;
    for (HWND child : controlsOf(dialog)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof(cls));
        const std::string type = cls;
        RECT box;
        GetWindowRect(child, &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
        // A control counts as shown when it and every parent up to the dialog are visible.
        std::string extra;
        if (type == "Button")
            extra = ",\"checked\":" +
                    std::string(send(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? "true" : "false");
        if (type == "ComboBox") extra = listJson(child, "combo");
        if (type == "SysTabControl32") extra = listJson(child, "tabs");
        if (type == "msctls_updown32")
            extra = ",\"position\":" + std::to_string(send(child, UDM_GETPOS32, 0, 0));
        std::printf(
            "%s\"%d\":{\"class\":%s,\"text\":%s,\"visible\":%s,\"enabled\":%s,"
            "\"rect\":[%ld,%ld,%ld,%ld]%s}",
            first ? "" : ",", GetDlgCtrlID(child), json(type).c_str(), json(textOf(child)).c_str(),
            IsWindowVisible(child) ? "true" : "false", IsWindowEnabled(child) ? "true" : "false",
            box.left, box.top, box.right - box.left, box.bottom - box.top, extra.c_str());
        first = false;
    }
    std::printf("}}\n");
    std::fflush(stdout);
}

// The dialog counts as there once it is visible: it is shown only after it has been filled.
bool waitFor(bool present) {
    for (int i = 0; i < 200; ++i) {
        HWND dialog = findDialog();
        if ((dialog != nullptr && IsWindowVisible(dialog)) == present) return true;
        Sleep(100);
    }
    return false;
}

bool selectTab(HWND dialog, int wanted) {
    HWND tabs = nullptr;
    for (HWND child : controlsOf(dialog)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof(cls));
        if (std::string(cls) == "SysTabControl32") tabs = child;
    }
    if (!tabs) return false;
    for (int step = 0; step < 8; ++step) {
        const LRESULT current = send(tabs, TCM_GETCURSEL, 0, 0);
        if (current == wanted) return true;
        const WPARAM key = current < wanted ? VK_RIGHT : VK_LEFT;
        send(tabs, WM_KEYDOWN, key, 0);
        send(tabs, WM_KEYUP, key, 0xC0000001);
    }
    return send(tabs, TCM_GETCURSEL, 0, 0) == wanted;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string command = argv[i];
        if (command == "wait") {
            if (!waitFor(true)) return std::fprintf(stderr, "no dialog\n"), 1;
            continue;
        }
        if (command == "gone") {
            if (!waitFor(false)) return std::fprintf(stderr, "dialog still open\n"), 1;
            continue;
        }
        HWND dialog = findDialog();
        if (!dialog) return std::fprintf(stderr, "no dialog for %s\n", command.c_str()), 1;
        const auto arg = [&](int k) { return i + k < argc ? std::string(argv[i + k]) : ""; };
        if (command == "dump") {
            dump(dialog);
        } else if (command == "close") {
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (command == "tab") {
            if (!selectTab(dialog, std::atoi(arg(1).c_str()))) return 1;
            ++i;
        } else {
            HWND control = controlById(dialog, std::atoi(arg(1).c_str()));
            if (!control) return std::fprintf(stderr, "no control %s\n", arg(1).c_str()), 1;
            if (command == "click") {
                // Posted: OK and Cancel end the dialog, and a sent click would wait for that.
                PostMessageA(control, BM_CLICK, 0, 0);
                Sleep(200);
                i += 1;
            } else if (command == "select") {
                send(control, CB_SETCURSEL, std::atoi(arg(2).c_str()), 0);
                i += 2;
            } else if (command == "settext") {
                const std::string text = arg(2);
                send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                i += 2;
            } else {
                return std::fprintf(stderr, "unknown command %s\n", command.c_str()), 1;
            }
        }
    }
    return 0;
}
