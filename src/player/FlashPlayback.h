// FlashPlayback: the logic of the full-screen window — playing FlashList one movie after
// another, moving on when a movie ends or stalls, and deciding which input ends the show.
//
// The Win32 full-screen window owns one FlashPlayback and forwards its events to it:
//
//   FormShow (after placing the window with PlanScreenLayout, running CreateCovers when the
//             layout asks for it, and making the window topmost)  -> formShow()
//   Timer1 every 100 ms                                           -> timer1Tick()
//   MouseTimer every 3000 ms                                      -> mouseTimerTick()
//   every message of the main loop, before dispatch               -> onMessage()
//   FormClose                                                     -> formClose()
//
// and implements PlaybackHost for the side effects. The player control is owned here.
//
// The message hook passes MSG::message and MSG::wParam of every message taken from the main
// loop, for any window of the application (covers included), with windowVisible = whether the
// full-screen window is visible, and skips dispatch when onMessage() answers true.
// PlaybackHost::closeWindow() may close synchronously or post a message of the window's own;
// either way the close handler calls formClose(), after which ticks and messages are ignored
// (a WM_TIMER already queued before the timer was killed must not create a new player). A
// close request from outside (WM_CLOSE, SC_CLOSE) is no such close: the window hands it to
// onCloseRequest(), which applies the exit rules to it.
//
// Errors: every player error is swallowed here. A failing FrameNum read counts as a tick
// without a new frame, so a player that keeps failing is left after the stall limit like a
// stalled movie; a failing TotalFrames read counts as no end seen. The window's timer handler
// still catches whatever else a tick might throw: an exception must never escape into the
// message loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "player/PlaybackHost.h"
#include "player/PlayerControl.h"

namespace saver {

struct Runtime;
struct InputDecision;
struct SaverSetting;

// Shown when no player can be created; Yes opens kPlayerDownloadPage. The control's own download
// pages are gone, so Yes leads to a neutral page about the movie format and its players.
inline constexpr const char* kNoPlayerCaption = "Error";
inline constexpr const char* kNoPlayerText =
    "Playing Flash failed, Please install Shockware Flash firstly.";
inline constexpr const char* kPlayerDownloadPage = "https://en.wikipedia.org/wiki/SWF";

struct PlaybackState {
    std::string CurrentMovie;  // location last given to the player; "" at show
    std::int64_t StallTicks = 0;
    std::int32_t MaxFrame = 0;
    bool WasUnloaded = false;
    bool PlaybackFailed = false;
};

// A Windows colour 0x00BBGGRR as the player wants it, 0x00RRGGBB (the top byte is dropped).
std::int32_t PlayerColor(std::int32_t windowsColor);
// BackgroundColor, Quality (unchanged), AlignMode 0, ScaleMode 0/2/3 for FlashSize 0/1/2
// (ScaleMode untouched for any other FlashSize). PlayerError propagates.
void SetUpPlayer(PlayerControl& player, const SaverSetting& setting);

class FlashPlayback {
  public:
    FlashPlayback(Runtime& rt, PlaybackHost& host);

    // Resets the state (MouseMoveBudget 20) and starts the playback timer. FlashMute is
    // applied when the player has been created: the built-in player silences its own output;
    // for a player that cannot (the control) wave-out volume is set to 0 until the close.
    void formShow();
    // One tick of Timer1. Tag 0: creates the player when FlashList is not empty (reporting
    // "no player" and closing the window when that fails), sets it up and starts the first
    // movie. Tag 1: keeps the saver flag set, hides the cursor (unless ShowCursor), and moves
    // to the next movie at the end of a movie, after FlashStopTime seconds without a new
    // highest frame (FlashDownloadTime for "://" locations; a failing frame read counts as no
    // new frame), or after FlashDownloadTime seconds without any frame.
    void timer1Tick();
    // Chooses, resolves and starts the next movie of FlashList (in place: the chosen entry is
    // rewritten to its resolved location). Nothing when the list is empty or no player exists
    // yet. Never throws; the playback timer is stopped while it runs and started afterwards.
    void nextMovie();
    // The input rules for one message; true when the message is handled (not dispatched).
    // What the rules leave alone goes on to the player as ForwardedInput decides (`screenX`,
    // `screenY`: the message's cursor position, MSG::pt).
    bool onMessage(std::uint32_t message, std::uint64_t wParam, bool windowVisible,
                   int screenX = 0, int screenY = 0);
    // A user's or another program's request to close the show (WM_CLOSE, SC_CLOSE, on the show
    // or a cover): an exit attempt where a key other than Esc would make one, nothing
    // otherwise. The caller never closes the window for it; closing is left to the exit
    // attempt (PlaybackHost::closeWindow).
    void onCloseRequest(bool windowVisible);
    // MouseTimer: the mouse-move budget is refilled.
    void mouseTimerTick();
    // Shows the cursor, asks for the password (cursor handling unless ShowCursor) and closes
    // the window when it passes; the budget is refilled either way.
    void exitAttempt();
    // Hides the window, clears the saver flag, shows the cursor, frees covers and player,
    // restores the volume (FlashMute) and ends the application. Runs once per show; later
    // ticks and messages do nothing.
    void formClose();

    PlaybackState& state() { return state_; }
    int timerTag() const { return timerTag_; }
    PlayerControl* player() { return player_.get(); }

  private:
    void forwardInput(std::uint32_t message, std::uint64_t wParam, int screenX, int screenY,
                      const InputDecision& decision, bool windowVisible);
    void startPlayer();
    void reportNoPlayer();
    void muteSound();
    void watchProgress();
    std::int32_t totalFrames();
    std::size_t chooseIndex();
    bool resolveEntry(std::size_t index);
    void loadCurrentMovie();

    Runtime& rt_;
    PlaybackHost& host_;
    PlaybackState state_;
    int timerTag_ = 0;  // 0 before the player exists, 1 while playing
    bool closed_ = false;
    bool waveMuted_ = false;  // wave-out volume zeroed for FlashMute, to give back at close
    std::unique_ptr<PlayerControl> player_;
};

}  // namespace saver
