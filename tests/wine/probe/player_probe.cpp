// Test-only program: hosts the Flash player control (ActiveXPlayer) in a top-level window and
// runs the operations given on the command line in order, printing one line per result:
//   color=N quality=N align=N scale=N   set-up properties (decimal or 0x hex)
//   movie=PATH                           load a movie; "t" of later samples counts from here
//   getmovie                             print the loaded movie
//   wait=MS                              pump messages for MS ms, sampling FrameNum and
//                                        TotalFrames every 100 ms ("sample t=.. frame=.. total=..")
//   rewind, play                         the methods
//   resize=WxH                           resize the window (the player follows on WM_SIZE)
// Exit codes: 0 done, 2 the player could not be created ("create failed: ..."), 3 an operation
// failed ("error: ..."), 1 bad usage.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "player/ActiveXPlayer_win.h"

namespace {

saver::ActiveXPlayer* g_player = nullptr;
ULONGLONG g_movieStart = 0;

LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE && g_player != nullptr) g_player->fitToParent();
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND createWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"PlayerProbeWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"player_probe",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    return window;
}

void pump(DWORD ms) {
    ULONGLONG end = GetTickCount64() + ms;
    ULONGLONG nextSample = GetTickCount64() + 100;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= nextSample) {
            std::int32_t frame = g_player->frameNum();
            std::int32_t total = g_player->totalFrames();
            std::printf("sample t=%llu frame=%d total=%d\n", now - g_movieStart, frame, total);
            nextSample += 100;
        }
        if (now >= end) return;
        // A late sample (the process was held up) is taken at once, not after a wrapped wait.
        ULONGLONG due = std::min(end, nextSample);
        DWORD timeout = due > now ? static_cast<DWORD>(due - now) : 0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

std::int32_t number(const std::string& text) {
    return static_cast<std::int32_t>(std::strtol(text.c_str(), nullptr, 0));
}

// Runs one operation; false for an unknown one.
bool run(const std::string& op, HWND window) {
    std::string key = op.substr(0, op.find('='));
    std::string value = op.find('=') == std::string::npos ? "" : op.substr(op.find('=') + 1);
    if (key == "color")
        g_player->setBackgroundColor(number(value));
    else if (key == "quality")
        g_player->setQuality(number(value));
    else if (key == "align")
        g_player->setAlignMode(number(value));
    else if (key == "scale")
        g_player->setScaleMode(number(value));
    else if (key == "movie") {
        g_player->setMovie(value);
        g_movieStart = GetTickCount64();
    } else if (key == "getmovie")
        std::printf("movie %s\n", g_player->movie().c_str());
    else if (key == "wait")
        pump(static_cast<DWORD>(number(value)));
    else if (key == "rewind")
        g_player->rewind();
    else if (key == "play") {
        g_player->play();
        g_movieStart = GetTickCount64();
    } else if (key == "resize") {
        int w = number(value), h = number(value.substr(value.find('x') + 1));
        SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
    } else
        return false;
    std::printf("done %s\n", op.c_str());
    return true;
}

void describe(HWND window) {
    HWND control = g_player->controlWindow();
    RECT parent{}, child{};
    GetClientRect(window, &parent);
    GetWindowRect(control, &child);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&child), 2);
    std::printf("control parent=%d visible=%d rect=%ld,%ld,%ld,%ld client=%ld,%ld\n",
                GetParent(control) == window ? 1 : 0, IsWindowVisible(control) ? 1 : 0, child.left,
                child.top, child.right, child.bottom, parent.right, parent.bottom);
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    HWND window = createWindow();
    if (window == nullptr) return 1;
    std::unique_ptr<saver::ActiveXPlayer> player;
    try {
        player = saver::ActiveXPlayer::create(window);
    } catch (const saver::PlayerError& e) {
        std::printf("create failed: %s\n", e.what());
        DestroyWindow(window);
        return 2;
    }
    g_player = player.get();
    std::printf("created\n");
    describe(window);
    int rc = 0;
    try {
        for (int i = 1; i < argc; ++i) {
            if (!run(argv[i], window)) {
                std::printf("unknown operation %s\n", argv[i]);
                rc = 1;
                break;
            }
        }
        describe(window);
    } catch (const saver::PlayerError& e) {
        std::printf("error: %s\n", e.what());
        rc = 3;
    }
    HWND control = player->controlWindow();
    g_player = nullptr;
    player.reset();
    std::printf("destroyed control_window_left=%d\n", IsWindow(control) ? 1 : 0);
    DestroyWindow(window);
    return rc;
}
