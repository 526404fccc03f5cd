// The window is a WS_POPUP: no caption or frame to remove. "Maximised" is a real maximised
// state, but WM_GETMINMAXINFO pins it to the monitor's full bounds, since the default
// maximised size of a top-level window is the work area and would leave the taskbar showing.
//
// Every call into the playback logic from here is wrapped: a covered screen that no longer
// reacts to input is the one failure a screensaver must never show.
#include "player/FlashFullscreenForm_win.h"

#include <shellapi.h>

#include <exception>

#include "app/SaverPassword.h"
#include "payload/Runtime.h"
#include "player/ActiveXPlayer_win.h"
#include "player/BuiltinPlayer_win.h"
#include "player/MultiScreenForm_win.h"
#include "player/PlayerFactory_win.h"
#include "player/ScreenLayout.h"

namespace saver {

namespace {
constexpr const char* kFormClass = "TFlashFullscreenForm";
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 100;
constexpr UINT_PTR kMouseTimer = 2;
constexpr UINT kMouseTimerInterval = 3000;
// Posted by the playback logic to close the show once an exit attempt has passed.
constexpr UINT kCloseShow = WM_APP + 1;

RECT toRect(const ScreenRect& r) {
    return RECT{r.left, r.top, r.left + r.width, r.top + r.height};
}
}  // namespace

TFlashFullscreenForm::TFlashFullscreenForm(Runtime& rt, PasswordLibraries& passwords)
    : rt_(rt), passwords_(passwords), playback_(rt, *this) {}

TFlashFullscreenForm::~TFlashFullscreenForm() {
    covers_.destroyAll();
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool TFlashFullscreenForm::create() {
    if (!RegisterBlackWindowClass(kFormClass, windowProc)) return false;
    // The caption is never drawn; it names the window for the task list and for tools.
    const std::string caption = rt_.Setting.ScrName.empty() ? "Screensaver" : rt_.Setting.ScrName;
    hwnd_ = CreateWindowExA(0, kFormClass, caption.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) return false;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(hwnd_, kMouseTimer, kMouseTimerInterval, nullptr);
    formShow();
    return true;
}

void TFlashFullscreenForm::formShow() {
    const std::vector<MonitorInfo> monitors = EnumerateMonitors();
    const ScreenLayout layout = PlanScreenLayout(monitors, rt_.Setting.FlashSameMonitor);
    if (layout.maximised) {
        ScreenRect primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (!monitors.empty()) primary = monitors.front().bounds;
        maximisedBounds_ = toRect(primary);
        SetWindowPos(hwnd_, nullptr, primary.left, primary.top, primary.width, primary.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
        if (layout.createCovers) covers_.create(monitors, hwnd_, rt_.Setting.ImageSameMonitor);
    } else {
        const ScreenRect& b = layout.bounds;
        SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER);
        ShowWindow(hwnd_, SW_SHOW);
    }
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(hwnd_);
    playback_.formShow();
}

bool TFlashFullscreenForm::applicationMessage(const MSG& msg) {
    if (!hwnd_) return false;
    return playback_.onMessage(msg.message, msg.wParam, IsWindowVisible(hwnd_) != FALSE, msg.pt.x,
                               msg.pt.y);
}

LRESULT CALLBACK TFlashFullscreenForm::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    auto* self = reinterpret_cast<TFlashFullscreenForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT TFlashFullscreenForm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTimer1) timer1Timer();
            if (wParam == kMouseTimer) playback_.mouseTimerTick();
            return 0;
        case WM_SIZE:
            fitPlayer();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (maximisedBounds_.right > maximisedBounds_.left) {
                info->ptMaxPosition = {maximisedBounds_.left, maximisedBounds_.top};
                info->ptMaxSize = {maximisedBounds_.right - maximisedBounds_.left,
                                   maximisedBounds_.bottom - maximisedBounds_.top};
                info->ptMaxTrackSize = info->ptMaxSize;
            }
            return 0;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                playback_.onCloseRequest(IsWindowVisible(hwnd_) != FALSE);
                return 0;
            }
            break;
        case WM_CLOSE:
            // From the system, another program or a cover: the exit rules decide.
            playback_.onCloseRequest(IsWindowVisible(hwnd_) != FALSE);
            return 0;
        case kCloseShow:
            formClose();
            return 0;
        case WM_ENDSESSION:
            // Windows is logging off or shutting down: the cursor, the volume and the saver
            // flag are put back while there is still time.
            if (wParam) formClose();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void TFlashFullscreenForm::timer1Timer() {
    try {
        playback_.timer1Tick();
    } catch (const std::exception&) {
        // Whatever failed in a tick, the timer keeps running and the next tick tries again.
    }
}

void TFlashFullscreenForm::fitPlayer() {
    if (auto* player = dynamic_cast<ActiveXPlayer*>(playback_.player())) player->fitToParent();
    if (auto* player = dynamic_cast<BuiltinPlayerWindow*>(playback_.player()))
        player->fitToParent();
}

void TFlashFullscreenForm::formClose() {
    KillTimer(hwnd_, kMouseTimer);
    try {
        playback_.formClose();
    } catch (...) {
        // Whatever failed, the program still ends.
        terminate();
    }
}

std::unique_ptr<PlayerControl> TFlashFullscreenForm::createPlayer() {
    return CreatePlayer(hwnd_, rt_.fs);
}

void TFlashFullscreenForm::setPlaybackTimer(bool enabled) {
    if (enabled)
        SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
    else
        KillTimer(hwnd_, kTimer1);
}

void TFlashFullscreenForm::setSaverRunning(bool running) {
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, nullptr, 0);
}

void TFlashFullscreenForm::showCursor(bool show) {
    ShowCursor(show ? TRUE : FALSE);
}

void TFlashFullscreenForm::hideWindow() {
    ShowWindow(hwnd_, SW_HIDE);
}

void TFlashFullscreenForm::closeWindow() {
    PostMessageA(hwnd_, kCloseShow, 0, 0);
}

void TFlashFullscreenForm::openAddress(const std::string& address) {
    ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool TFlashFullscreenForm::verifySaverPassword(bool handleCursor) {
    return VerifySaverPassword(rt_, passwords_, reinterpret_cast<WindowHandle>(hwnd_),
                               handleCursor);
}

void TFlashFullscreenForm::destroyCovers() {
    covers_.destroyAll();
}

void TFlashFullscreenForm::muteWaveOut(bool on) {
    if (on)
        volume_.mute();
    else
        volume_.restore();
}

void TFlashFullscreenForm::terminate() {
    PostQuitMessage(0);
}

}  // namespace saver
