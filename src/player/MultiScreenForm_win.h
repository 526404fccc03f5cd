// TMultiScreenForm: the black window that covers one further monitor while the full-screen
// window plays on the primary one, and CoverWindows, the list of them.
//
// A cover is a borderless, topmost popup at its monitor's bounds with a 25 ms timer; when
// ImageSameMonitor is on, each tick stretch-copies the client area of the mirror source (the
// full-screen window) into the cover's client area. A failed copy leaves the cover as it is.
// A close request on a cover (WM_CLOSE, SC_CLOSE) is passed on to the mirror source as
// WM_CLOSE; the cover itself stays until it is destroyed.
//
// EnumerateMonitors lists the monitors as EnumDisplayMonitors reports them, the primary one
// moved to the front; an empty list when the call fails.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "player/ScreenLayout.h"

namespace saver {

std::vector<MonitorInfo> EnumerateMonitors();

// Registers a window class with a black background and the arrow cursor, once per class name;
// true when the class is registered afterwards. The full-screen window and the covers use it.
bool RegisterBlackWindowClass(const char* name, WNDPROC proc);

class TMultiScreenForm {
  public:
    // Creates, shows and places the cover at `bounds` and makes it topmost. The window may
    // fail to appear (handle() is then null); the object is still safe to destroy.
    TMultiScreenForm(const ScreenRect& bounds, HWND mirrorSource, bool mirror);
    ~TMultiScreenForm();
    TMultiScreenForm(const TMultiScreenForm&) = delete;
    TMultiScreenForm& operator=(const TMultiScreenForm&) = delete;

    HWND handle() const { return hwnd_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void timer1Timer();

    HWND hwnd_ = nullptr;
    HWND source_;
    bool mirror_;
};

class CoverWindows {
  public:
    // CreateCovers: one cover per monitor but the primary one; nothing when covers exist or
    // no monitor is reported.
    void create(const std::vector<MonitorInfo>& monitors, HWND mirrorSource, bool mirror);
    // DestroyCovers: frees every cover and empties the list. Never throws.
    void destroyAll() noexcept;
    std::size_t count() const { return covers_.size(); }

  private:
    std::vector<std::unique_ptr<TMultiScreenForm>> covers_;
};

}  // namespace saver
