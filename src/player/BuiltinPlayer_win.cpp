// The frames are drawn by the portable player into its own image and copied into the DIB
// section in one go, so the renderer never depends on GDI; the DIB stays selected into a
// memory DC for the life of its size, and WM_PAINT is a single BitBlt.
#include "player/BuiltinPlayer_win.h"

#include <cstring>
#include <functional>
#include <utility>

#include "player/MultiScreenForm_win.h"
#include "player/PlayerInput.h"

namespace saver {

namespace {

constexpr const char* kPlayerClass = "SaverBuiltinPlayer";
constexpr UINT_PTR kFrameTimer = 1;

DWORD WINAPI runWork(LPVOID parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    try {
        (*work)();
    } catch (...) {
        // The loader's work catches its own errors; nothing may leave a thread.
    }
    return 0;
}

// A detached system thread per load, below normal priority so that on a machine with one core
// the window's thread still gets the processor whenever input arrives.
bool startWorker(std::function<void()> work) {
    auto task = std::make_unique<std::function<void()>>(std::move(work));
    HANDLE thread = CreateThread(nullptr, 0, &runWork, task.get(), CREATE_SUSPENDED, nullptr);
    if (!thread) return false;
    task.release();  // the thread owns it now
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(thread);
    CloseHandle(thread);
    return true;
}

}  // namespace

std::unique_ptr<BuiltinPlayerWindow> BuiltinPlayerWindow::create(HWND parent,
                                                                 BuiltinPlayer::FileReader reader) {
    // The brush never shows: WM_ERASEBKGND is suppressed and every pixel comes from the frame.
    if (!RegisterBlackWindowClass(kPlayerClass, windowProc))
        throw PlayerError("Built-in player: RegisterClass failed");
    std::unique_ptr<BuiltinPlayerWindow> player(new BuiltinPlayerWindow(parent, std::move(reader)));
    RECT rect{};
    GetClientRect(parent, &rect);
    player->hwnd_ = CreateWindowExA(0, kPlayerClass, "", WS_CHILD | WS_VISIBLE, 0, 0,
                                    rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    if (!player->hwnd_) throw PlayerError("Built-in player: CreateWindowEx failed");
    SetWindowLongPtrA(player->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(player.get()));
    player->startTimer();
    player->redraw();
    return player;
}

BuiltinPlayerWindow::BuiltinPlayerWindow(HWND parent, BuiltinPlayer::FileReader reader)
    : parent_(parent), player_(std::move(reader), &startWorker, MakeAudioOutput()) {
    // System.capabilities reports the primary screen and the system's pixels per inch.
    swf::avm1::InterpreterHost::Screen screen;
    screen.width = GetSystemMetrics(SM_CXSCREEN);
    screen.height = GetSystemMetrics(SM_CYSCREEN);
    if (HDC dc = GetDC(nullptr)) {
        screen.dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    if (screen.width > 0 && screen.height > 0 && screen.dpi > 0) player_.setScreen(screen);
}

BuiltinPlayerWindow::~BuiltinPlayerWindow() {
    if (hwnd_) {
        KillTimer(hwnd_, kFrameTimer);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    releaseSurface();
}

void BuiltinPlayerWindow::fitToParent() {
    RECT rect{};
    GetClientRect(parent_, &rect);
    SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void BuiltinPlayerWindow::setBackgroundColor(std::int32_t rgb) {
    player_.setBackgroundColor(rgb);
}
void BuiltinPlayerWindow::setQuality(std::int32_t quality) {
    player_.setQuality(quality);
}
void BuiltinPlayerWindow::setAlignMode(std::int32_t mode) {
    player_.setAlignMode(mode);
}
void BuiltinPlayerWindow::setScaleMode(std::int32_t mode) {
    player_.setScaleMode(mode);
}
std::string BuiltinPlayerWindow::movie() {
    return player_.movie();
}

void BuiltinPlayerWindow::setMovie(const std::string& location) {
    player_.setMovie(location);
    startTimer();
    step();  // the first frame shows at once
}

void BuiltinPlayerWindow::rewind() {
    player_.rewind();
    step();
}

void BuiltinPlayerWindow::play() {
    player_.play();
}
std::int32_t BuiltinPlayerWindow::frameNum() {
    return player_.frameNum();
}
std::int32_t BuiltinPlayerWindow::totalFrames() {
    return player_.totalFrames();
}
bool BuiltinPlayerWindow::setSoundMuted(bool muted) {
    return player_.setSoundMuted(muted);
}

LRESULT CALLBACK BuiltinPlayerWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self = reinterpret_cast<BuiltinPlayerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (...) {
        return 0;  // a frame that could not be drawn (out of memory) is skipped
    }
}

LRESULT BuiltinPlayerWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kFrameTimer) step();
            return 0;
        case WM_SIZE:
            redraw();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paint();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) != HTCLIENT || !player_.cursorHidden()) break;
            SetCursor(nullptr);
            return TRUE;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void BuiltinPlayerWindow::input(const PlayerInput& in) {
    POINT at{in.x, in.y};
    ScreenToClient(hwnd_, &at);
    PlayerInput local = in;
    local.x = at.x;
    local.y = at.y;
    player_.input(local);
}

void BuiltinPlayerWindow::startTimer() {
    const int interval = player_.frameIntervalMs();
    if (interval == timerInterval_) return;
    timerInterval_ = interval;
    SetTimer(hwnd_, kFrameTimer, static_cast<UINT>(interval), nullptr);  // replaces the old one
}

void BuiltinPlayerWindow::step() {
    const bool changed = player_.advanceTo(GetTickCount64());
    startTimer();  // a movie that has finished loading sets the pace from now on
    if (changed) redraw();
}

void BuiltinPlayerWindow::redraw() {
    RECT rect{};
    GetClientRect(hwnd_, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || !fitSurface(width, height)) return;
    player_.renderInto(image_, width, height);
    std::memcpy(surfaceBits_, image_.pixels.data(), image_.pixels.size());
    InvalidateRect(hwnd_, nullptr, FALSE);
}

bool BuiltinPlayerWindow::fitSurface(int width, int height) {
    if (surface_ && image_.width == width && image_.height == height) return true;
    releaseSurface();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as the renderer writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    surface_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &surfaceBits_, nullptr, 0);
    surfaceDc_ = CreateCompatibleDC(nullptr);
    if (!surface_ || !surfaceDc_ || !surfaceBits_) {
        releaseSurface();
        return false;
    }
    previousBitmap_ = SelectObject(surfaceDc_, surface_);
    image_.resize(width, height);
    return true;
}

void BuiltinPlayerWindow::releaseSurface() {
    if (surfaceDc_ && previousBitmap_) SelectObject(surfaceDc_, previousBitmap_);
    if (surfaceDc_) DeleteDC(surfaceDc_);
    if (surface_) DeleteObject(surface_);
    surfaceDc_ = nullptr;
    surface_ = nullptr;
    previousBitmap_ = nullptr;
    surfaceBits_ = nullptr;
}

void BuiltinPlayerWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (surface_) {
        BitBlt(dc, 0, 0, image_.width, image_.height, surfaceDc_, 0, 0, SRCCOPY);
    } else {
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(hwnd_, &ps);
}

}  // namespace saver
