// PlayerControl: the movie player the full-screen window drives, behind a small interface so
// that the ActiveX control and other players can stand in for each other.
//
// A control exists from its creation (by a platform-specific factory) until it is destroyed
// (its destructor). Every operation throws PlayerError when the player reports a failure; the
// playback logic decides which of those errors it swallows.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace saver {

struct PlayerInput;

class PlayerError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PlayerControl {
  public:
    virtual ~PlayerControl() = default;

    // Set-up, once after creation.
    virtual void setBackgroundColor(std::int32_t rgb) = 0;  // 0x00RRGGBB
    virtual void setQuality(std::int32_t quality) = 0;  // 0 Low, 1 High, 2 Auto Low, 3 Auto High
    virtual void setAlignMode(std::int32_t mode) = 0;
    virtual void setScaleMode(std::int32_t mode) = 0;  // 0 show all, 2 exact fit, 3 no scale

    // The location of the loaded movie (ANSI text); "" when none.
    virtual std::string movie() = 0;
    // Loads the movie at a full path or URL and starts playing it, with no further call.
    virtual void setMovie(const std::string& location) = 0;
    virtual void rewind() = 0;  // back to the first frame
    virtual void play() = 0;

    // The current frame counted from 0; negative while no frame is available (loading, or the
    // movie was not found).
    virtual std::int32_t frameNum() = 0;
    virtual std::int32_t totalFrames() = 0;

    // Mouse and key input for the movie (positions in screen pixels); players that take their
    // input otherwise ignore it.
    virtual void input(const PlayerInput& in) {}
    // Silences (or lets be heard again) the player's own sound output, leaving the system's
    // volume alone. False when the player cannot: its sound is only reached through the
    // system's volume (the Flash control).
    virtual bool setSoundMuted(bool muted) { return false; }
};

}  // namespace saver
