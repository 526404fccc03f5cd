// Covers are plain popups, no frame to remove. The class brush paints them black; the mirror
// copy paints over that from the source window's DC, which works as long as the source is on
// screen (a hidden source gives a black or stale picture, which is harmless for a cover).
#include "player/MultiScreenForm_win.h"

#include <algorithm>

namespace saver {

namespace {
constexpr const char* kCoverClass = "TMultiScreenForm";
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 25;

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    MonitorInfo m;
    m.bounds = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    reinterpret_cast<std::vector<MonitorInfo>*>(data)->push_back(m);
    return TRUE;
}

}  // namespace

bool RegisterBlackWindowClass(const char* name, WNDPROC proc) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, name, &wc)) return true;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

std::vector<MonitorInfo> EnumerateMonitors() {
    std::vector<MonitorInfo> monitors;
    if (!EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors)))
        return {};
    std::stable_partition(monitors.begin(), monitors.end(),
                          [](const MonitorInfo& m) { return m.primary; });
    return monitors;
}

TMultiScreenForm::TMultiScreenForm(const ScreenRect& bounds, HWND mirrorSource, bool mirror)
    : source_(mirrorSource), mirror_(mirror) {
    RegisterBlackWindowClass(kCoverClass, windowProc);
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kCoverClass, "", WS_POPUP, bounds.left, bounds.top,
                            bounds.width, bounds.height, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
}

TMultiScreenForm::~TMultiScreenForm() {
    if (!hwnd_) return;
    KillTimer(hwnd_, kTimer1);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

LRESULT CALLBACK TMultiScreenForm::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<TMultiScreenForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_TIMER && wParam == kTimer1) {
        self->timer1Timer();
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
    // A cover never closes on its own, which would uncover its monitor: a close request goes
    // to the show, where the exit rules judge it.
    const bool closeRequest =
        message == WM_CLOSE || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE);
    if (closeRequest) {
        if (self && IsWindow(self->source_)) PostMessageA(self->source_, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void TMultiScreenForm::timer1Timer() {
    if (!mirror_ || !IsWindow(source_)) return;
    RECT from{}, to{};
    if (!GetClientRect(source_, &from) || !GetClientRect(hwnd_, &to)) return;
    HDC src = GetDC(source_);
    HDC dst = GetDC(hwnd_);
    if (src && dst) {
        SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, 0, 0, to.right, to.bottom, src, 0, 0, from.right, from.bottom, SRCCOPY);
    }
    if (dst) ReleaseDC(hwnd_, dst);
    if (src) ReleaseDC(source_, src);
}

void CoverWindows::create(const std::vector<MonitorInfo>& monitors, HWND mirrorSource,
                          bool mirror) {
    for (const ScreenRect& bounds : PlanCovers(monitors, covers_.size()))
        covers_.push_back(std::make_unique<TMultiScreenForm>(bounds, mirrorSource, mirror));
}

void CoverWindows::destroyAll() noexcept {
    try {
        covers_.clear();
    } catch (...) {
        // Freeing a window that is already gone is of no concern at close.
    }
}

}  // namespace saver
