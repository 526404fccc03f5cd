// Test-only program: plays the part of Display Properties for the preview. It opens a window
// holding a borderless 152 x 112 preview area, starts the screensaver with "/p <area handle>",
// waits for the preview's child window and prints, as one JSON line, what it finds there:
//   {"found":true,"pid":N,"class":"...","child_style":true,"caption_style":true,"visible":true,
//    "window":{left,top,width,height},"client":{...},"controls":[{"id","class","text",
//    "visible",left,top,width,height},...]}
// Places are in the preview area's client coordinates. Then, by mode:
//   destroy (default)  destroys its window and waits up to 10 s for the screensaver to end:
//                      {"destroyed":true,"exited":B,"exit_code":N,"ms":N}
//   click              clicks the control of id 102 (the credit line), then as destroy
//   stay               prints {"staying":true,"host_pid":N} and keeps running (to be killed)
// The first line also counts the tools of the preview's tooltip windows ("hint_tools").
// Usage: preview_host SCREENSAVER [destroy|click|stay]
// Exit codes: 0 done, 2 no preview window appeared (the line says why), 1 bad usage.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kAreaWidth = 152;
constexpr int kAreaHeight = 112;

std::string json(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string box(const RECT& r) {
    char text[128];
    std::snprintf(text, sizeof(text), "{\"left\":%ld,\"top\":%ld,\"width\":%ld,\"height\":%ld}",
                  r.left, r.top, r.right - r.left, r.bottom - r.top);
    return text;
}

// A window's rectangle in the client coordinates of `area`.
RECT placeIn(HWND area, HWND window, bool clientOnly) {
    RECT r{};
    if (clientOnly) {
        GetClientRect(window, &r);
        MapWindowPoints(window, area, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
        MapWindowPoints(HWND_DESKTOP, area, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

std::string textOf(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string classOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

void pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

// The first direct child of `area` that belongs to process `pid`.
HWND previewChild(HWND area, DWORD pid) {
    for (HWND child = GetWindow(area, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(child, &owner);
        if (owner == pid) return child;
    }
    return nullptr;
}

std::string controlsOf(HWND area, HWND preview) {
    std::string out = "[";
    for (HWND c = GetWindow(preview, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (out.size() > 1) out += ",";
        const RECT r = placeIn(area, c, false);
        out += "{\"id\":" + std::to_string(GetDlgCtrlID(c)) + ",\"class\":" + json(classOf(c)) +
               ",\"text\":" + json(textOf(c)) +
               ",\"visible\":" + (IsWindowVisible(c) ? "true" : "false") + "," +
               box(r).substr(1, box(r).size() - 2) + "}";
    }
    return out + "]";
}

struct ToolCount {
    DWORD pid;
    LRESULT tools;
};

BOOL CALLBACK countTools(HWND window, LPARAM data) {
    auto* count = reinterpret_cast<ToolCount*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != count->pid || classOf(window) != TOOLTIPS_CLASSA) return TRUE;
    DWORD_PTR tools = 0;
    if (SendMessageTimeoutA(window, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &tools))
        count->tools += static_cast<LRESULT>(tools);
    return TRUE;
}

// The hint tools the preview process registered, over all its tooltip windows.
LRESULT hintTools(DWORD pid) {
    ToolCount count{pid, 0};
    EnumWindows(countTools, reinterpret_cast<LPARAM>(&count));
    return count.tools;
}

// Clicks a control of the preview the way the mouse would, with a press and a release.
void click(HWND preview, int id) {
    HWND control = GetDlgItem(preview, id);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    pump(1000);
}

void report(HWND area, HWND preview, DWORD pid) {
    const LONG style = GetWindowLongA(preview, GWL_STYLE);
    std::printf(
        "{\"found\":true,\"pid\":%lu,\"class\":%s,\"child_style\":%s,\"caption_style\":%s,"
        "\"visible\":%s,\"window\":%s,\"client\":%s,\"hint_tools\":%ld,\"controls\":%s}\n",
        pid, json(classOf(preview)).c_str(), (style & WS_CHILD) ? "true" : "false",
        (style & WS_CAPTION) == WS_CAPTION ? "true" : "false",
        IsWindowVisible(preview) ? "true" : "false", box(placeIn(area, preview, false)).c_str(),
        box(placeIn(area, preview, true)).c_str(), static_cast<long>(hintTools(pid)),
        controlsOf(area, preview).c_str());
    std::fflush(stdout);
}

HWND createHost(HWND* area) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "PreviewHostWindow";
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, wc.lpszClassName, "preview_host",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20, 320,
                                240, nullptr, nullptr, wc.hInstance, nullptr);
    *area = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 40,
                            30, kAreaWidth, kAreaHeight, host, nullptr, wc.hInstance, nullptr);
    return host;
}

bool startSaver(const std::string& saver, HWND area, PROCESS_INFORMATION* process) {
    std::string line =
        "\"" + saver + "\" /p " + std::to_string(reinterpret_cast<std::uintptr_t>(area));
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, process) != 0;
}

void waitForExit(HWND host, const PROCESS_INFORMATION& process) {
    const ULONGLONG start = GetTickCount64();
    DestroyWindow(host);
    const DWORD waited = WaitForSingleObject(process.hProcess, 10000);
    const ULONGLONG ms = GetTickCount64() - start;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("{\"destroyed\":true,\"exited\":%s,\"exit_code\":%lu,\"ms\":%llu}\n",
                waited == WAIT_OBJECT_0 ? "true" : "false", code, ms);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: preview_host SCREENSAVER [destroy|stay]\n");
        return 1;
    }
    const std::string mode = argc > 2 ? argv[2] : "destroy";
    HWND area = nullptr;
    HWND host = createHost(&area);
    PROCESS_INFORMATION process{};
    if (!host || !area || !startSaver(argv[1], area, &process)) {
        std::printf("{\"found\":false,\"why\":\"start failed %lu\"}\n", GetLastError());
        return 2;
    }
    HWND preview = nullptr;
    for (int i = 0; i < 1500 && !preview; ++i) {
        pump(10);
        preview = previewChild(area, process.dwProcessId);
        if (!preview && WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    }
    if (!preview) {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.hProcess, &code);
        std::printf("{\"found\":false,\"why\":\"no child window\",\"exit_code\":%lu}\n", code);
        if (code == STILL_ACTIVE) TerminateProcess(process.hProcess, 9);
        return 2;
    }
    // The form is created before its controls and shown after them.
    for (int i = 0; i < 500 && !IsWindowVisible(preview); ++i) pump(10);
    pump(300);
    report(area, preview, process.dwProcessId);
    if (mode == "stay") {
        std::printf("{\"staying\":true,\"host_pid\":%lu}\n", GetCurrentProcessId());
        std::fflush(stdout);
        pump(60000);
        return 0;
    }
    if (mode == "click") click(preview, 102);
    waitForExit(host, process);
    return 0;
}
