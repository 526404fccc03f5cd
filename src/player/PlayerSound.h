// PlayerSound: the built-in player's sound. It mixes the playing movie's event and stream
// sounds (swf::MovieSound on an swf::AudioMixer) into the system's output device and gives the
// player the clock its timeline follows when the movie has a stream sound.
//
// Output: the device given at construction is started with the first movie. While it plays,
// its own thread pulls the mix and the clock is the count of output frames it has taken. With
// no device (nullptr, or one that will not start: no sound card, a refused format) the show
// plays silently: pump() then mixes into nothing on the caller's thread at the pace of the
// caller's clock, so scripts and the timeline see the same sound positions either way. Nothing
// is shown to the user.
//
// Pacing: a movie whose root timeline has a stream sound runs on the sound's clock. dueTicks()
// says how many frames are due: frame n is due once the output has taken n frame intervals of
// sound, less a lead of one frame, two device buffers and the longest recent wait between two
// calls, so each frame's sound block is queued before the device needs it (the picture runs
// that far ahead of what is heard). When drawing falls behind, several frames are due at
// once (the caller runs them and draws once: frames are skipped, the sound is not slowed); a
// stream that ran dry meanwhile skips the sound it has lost instead of playing on late. After
// a stall of more than kMaxCatchUpSeconds the frames beyond it are dropped.
//
// Threads: every call but the output's pull comes from one thread (the window's); the mixer is
// shared with the pull under a spin lock held only for one mix or one batch of frame sounds.
// Sounds are decoded before the lock is taken.
//
// Failure: none; sounds that cannot be decoded are silent.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/AudioOutput.h"
#include "player/SpinLock.h"
#include "swf/audio/AudioMixer.h"

namespace saver {

namespace swf {
class MoviePlayer;
class MovieSound;
}  // namespace swf

class PlayerSound {
  public:
    static constexpr int kMaxCatchUpSeconds = 1;
    // Output frames the stream is fed ahead of the device, on top of one frame interval: two
    // device buffers and a window timer's jitter.
    static constexpr std::uint64_t kDeviceLead = 3072;
    // The most the lead grows by to cover slow frames: half a second.
    static constexpr std::uint64_t kMaxSlack = 22050;

    explicit PlayerSound(std::unique_ptr<AudioOutput> output);
    ~PlayerSound();  // the output stops at once
    PlayerSound(const PlayerSound&) = delete;
    PlayerSound& operator=(const PlayerSound&) = delete;

    // Starts the sound of a player just made (its frame log holds the first frame); the sound of
    // the movie before stops at once. The player must stay alive until detach() or another
    // attach().
    void attach(swf::MoviePlayer& player);
    // Every sound stops at once; the clock no longer paces anything.
    void detach();

    // With no device: mixes up to `nowMs` (any monotonic millisecond clock; the first call
    // starts it). With a device: nothing.
    void pump(std::uint64_t nowMs);
    // True when the attached movie runs on the sound's clock (its root has a stream sound).
    bool pacesTimeline() const { return paced_; }
    // Starts the attached movie's clock now (at attach() it starts with the movie).
    void startClock();
    // Frames due now on the sound's clock (0 when not pacing); they count as run.
    int dueTicks();
    // Hands the frames the player's timelines went to since the last call to the sound.
    void ticked(swf::MoviePlayer& player);

    // Silences the output; every sound plays on unheard (positions and the timeline go on).
    void setMuted(bool muted);
    bool deviceRunning() const { return deviceRunning_; }
    // Output frames mixed so far (by the device or by pump()).
    std::uint64_t outputFrames() const { return mixed_.load(std::memory_order_acquire); }

  private:
    void pull(std::int16_t* out, std::size_t frames);
    void startDevice();
    std::uint64_t lead() const;

    std::unique_ptr<AudioOutput> output_;
    bool deviceTried_ = false;
    bool deviceRunning_ = false;
    SpinLock lock_;
    swf::AudioMixer mixer_;  // shared with the pull: under lock_
    std::unique_ptr<swf::MovieSound> sound_;
    std::atomic<std::uint64_t> mixed_{0};
    std::optional<std::uint64_t> pumpStartMs_;
    std::vector<std::int16_t> scratch_;
    // Pacing of the attached movie.
    bool paced_ = false;
    double framesPerTick_ = 0;
    std::uint64_t anchor_ = 0;    // output frame at which the movie started
    std::uint64_t ticks_ = 0;     // frames run since then
    std::uint64_t lastCall_ = 0;  // output frame of the last dueTicks()
    std::uint64_t slack_ = 0;     // the longest recent wait between two calls, decaying
    int maxCatchUp_ = 1;
};

}  // namespace saver
