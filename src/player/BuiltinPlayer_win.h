// BuiltinPlayerWindow: the built-in player on Win32, a child window that fills the full-screen
// window and shows the movie's frames.
//
// Movies decode on a worker thread of their own (see MovieLoader); the window stays black and
// keeps taking no time from the message loop until the movie is there. A window timer at the
// movie's frame interval (100 ms while none is loaded) advances the player by the system's
// tick count;
// each new frame is drawn into a 32-bit top-down DIB section, which WM_PAINT copies to the
// window (the background is never erased, so nothing flickers). The child takes no focus and
// handles no input messages itself: every mouse and key message is taken from the same message
// loop, so the full-screen window's application hook sees it just as it sees the ActiveX
// control's; what the exit rules pass on to the movie arrives through input(). Over the child
// the pointer is hidden while the movie asks for that (Mouse.hide); it is never shown here.
//
// create() throws PlayerError when the window cannot be made. The PlayerControl operations
// never fail (see BuiltinPlayer for unreadable movies). The destructor destroys the window.
// Must be used on the thread that created it, which must pump messages.
#pragma once

#include <windows.h>

#include <memory>

#include "player/BuiltinPlayer.h"
#include "swf/render/BgraImage.h"

namespace saver {

class BuiltinPlayerWindow final : public PlayerControl {
  public:
    static std::unique_ptr<BuiltinPlayerWindow> create(HWND parent,
                                                       BuiltinPlayer::FileReader reader);
    ~BuiltinPlayerWindow() override;
    BuiltinPlayerWindow(const BuiltinPlayerWindow&) = delete;
    BuiltinPlayerWindow& operator=(const BuiltinPlayerWindow&) = delete;

    // Fits the window to the parent's current client area (call on the parent's WM_SIZE).
    void fitToParent();
    HWND window() const { return hwnd_; }

    void setBackgroundColor(std::int32_t rgb) override;
    void setQuality(std::int32_t quality) override;
    void setAlignMode(std::int32_t mode) override;
    void setScaleMode(std::int32_t mode) override;
    std::string movie() override;
    void setMovie(const std::string& location) override;
    void rewind() override;
    void play() override;
    std::int32_t frameNum() override;
    std::int32_t totalFrames() override;
    // Screen pixels to the window's client area, then to the player.
    void input(const PlayerInput& in) override;
    bool setSoundMuted(bool muted) override;

  private:
    BuiltinPlayerWindow(HWND parent, BuiltinPlayer::FileReader reader);
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void startTimer();
    void step();
    void redraw();
    bool fitSurface(int width, int height);
    void releaseSurface();
    void paint();

    HWND parent_;
    HWND hwnd_ = nullptr;
    BuiltinPlayer player_;
    swf::BgraImage image_;
    HDC surfaceDc_ = nullptr;
    HBITMAP surface_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    void* surfaceBits_ = nullptr;
    int timerInterval_ = 0;
};

}  // namespace saver
