// PlaybackHost: what the playback logic asks of the full-screen window around it.
//
// FlashPlayback decides; the host carries the decisions out on the real system. The Win32
// full-screen window implements it with ShowCursor, SystemParametersInfoA, its timers, the
// player factory and the shell; host tests implement it with recorders.
//
// Every call is made on the user-interface thread. None of them may throw except
// createPlayer() (a throw counts as "no player") and verifySaverPassword() (a throw counts as
// "yes, the saver may close").
#pragma once

#include <memory>
#include <string>

#include "player/PlayerControl.h"

namespace saver {

class PlaybackHost {
  public:
    virtual ~PlaybackHost() = default;

    // Makes the movie player inside the window (COM initialised first on Win32). nullptr (or
    // a throw) when no player is available.
    virtual std::unique_ptr<PlayerControl> createPlayer() = 0;
    // Starts or stops the 100 ms playback timer (the window's Timer1).
    virtual void setPlaybackTimer(bool enabled) = 0;
    // SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1 or 0).
    virtual void setSaverRunning(bool running) = 0;
    // Exactly one ShowCursor(show) call: the system keeps a display counter, so calls are
    // counted, not idempotent.
    virtual void showCursor(bool show) = 0;
    virtual void hideWindow() = 0;
    // Asks the window to close. The window's close handler must then run
    // FlashPlayback::formClose(); closing twice must be harmless.
    virtual void closeWindow() = 0;
    // Opens an address with the shell's default handler, shown normally.
    virtual void openAddress(const std::string& address) = 0;
    // The screensaver password check with this window as owner; true = the saver may close.
    virtual bool verifySaverPassword(bool handleCursor) = 0;
    // Frees every cover window and empties the list (errors swallowed).
    virtual void destroyCovers() = 0;
    // on: keeps the volume of wave-out device 0 and sets it to 0; off: sets the kept volume
    // back. A machine without sound must be tolerated silently.
    virtual void muteWaveOut(bool on) = 0;
    // Ends the application's message loop.
    virtual void terminate() = 0;
};

}  // namespace saver
