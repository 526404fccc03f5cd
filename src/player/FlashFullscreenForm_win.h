// TFlashFullscreenForm: the screensaver's full-screen window on Win32.
//
// A borderless, black, topmost popup that covers the screen as PlanScreenLayout says (cover
// windows on the other monitors when it sits on one of several), hosts the player control as a
// child filling its client area, and carries out what FlashPlayback decides: it is the
// PlaybackHost. Timer1 (id 1, 100 ms, started by the playback logic) and MouseTimer (id 2,
// 3000 ms, running from creation) drive the logic; applicationMessage() is the application-wide
// hook that the message loop calls for every message before dispatch.
//
// Closing the window (a message of its own, posted by the logic once an exit attempt passed,
// or the end of the Windows session) hides it, restores the cursor, the volume and the saver
// flag, frees the covers and the player and posts WM_QUIT with exit code 0. WM_CLOSE and
// SC_CLOSE, from the system, other programs or a cover, are close requests that the exit
// rules judge (FlashPlayback::onCloseRequest); they never close the window themselves. Nothing
// thrown inside the window procedure leaves it; an error of a Timer1 tick is dropped and the timer
// keeps running.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "player/FlashPlayback.h"
#include "player/MultiScreenForm_win.h"
#include "player/PlaybackHost.h"
#include "player/WaveOutVolume_win.h"

namespace saver {

struct Runtime;
class PasswordLibraries;

class TFlashFullscreenForm final : public PlaybackHost {
  public:
    TFlashFullscreenForm(Runtime& rt, PasswordLibraries& passwords);
    ~TFlashFullscreenForm() override;
    TFlashFullscreenForm(const TFlashFullscreenForm&) = delete;
    TFlashFullscreenForm& operator=(const TFlashFullscreenForm&) = delete;

    // Creates the window and shows it (FormShow). False when the window cannot be created.
    bool create();
    // The application-wide message hook; true = handled, not to be dispatched.
    bool applicationMessage(const MSG& msg);
    HWND handle() const { return hwnd_; }

    // PlaybackHost
    std::unique_ptr<PlayerControl> createPlayer() override;
    void setPlaybackTimer(bool enabled) override;
    void setSaverRunning(bool running) override;
    void showCursor(bool show) override;
    void hideWindow() override;
    void closeWindow() override;
    void openAddress(const std::string& address) override;
    bool verifySaverPassword(bool handleCursor) override;
    void destroyCovers() override;
    void muteWaveOut(bool on) override;
    void terminate() override;

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void formShow();
    void formClose();
    void timer1Timer();
    void fitPlayer();

    Runtime& rt_;
    PasswordLibraries& passwords_;
    FlashPlayback playback_;
    CoverWindows covers_;
    WaveOutVolume volume_;
    HWND hwnd_ = nullptr;
    RECT maximisedBounds_{};
};

}  // namespace saver
