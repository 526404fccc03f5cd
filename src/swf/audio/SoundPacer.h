// SoundPacer: runs a movie's timeline on its sound's clock. Each render() mixes the next stretch
// of 44.1 kHz output and ticks the player whenever the output reaches the time of its next
// frame (frame n is due at n * 44100 / frameRate output frames), handing the frames the
// timelines went to on to the movie's sound. A sound device pulling output through it thus
// sets the pace of the frames; a drawing loop that falls behind shows the frames it has
// missed as skipped, never slowing the sound.
//
// The player must have been made with frame logging on. Failure: none.
#pragma once

#include <cstdint>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/MovieSound.h"
#include "swf/player/MoviePlayer.h"

namespace saver::swf {

class SoundPacer {
  public:
    // All three must outlive the pacer. The frames logged so far (the first frame) are
    // handed to `sound` at once.
    SoundPacer(MoviePlayer& player, MovieSound& sound, AudioMixer& mixer);

    // Writes `frames` stereo frames to `out`, ticking the player on the way.
    void render(std::int16_t* out, std::size_t frames);

    std::uint64_t outputFrames() const { return rendered_; }
    // Output frames until the next tick.
    std::uint64_t framesToNextTick() const { return nextTickAt() - rendered_; }
    std::uint64_t ticks() const { return ticks_; }

  private:
    std::uint64_t nextTickAt() const;

    MoviePlayer& player_;
    MovieSound& sound_;
    AudioMixer& mixer_;
    double framesPerTick_;
    std::uint64_t rendered_ = 0;
    std::uint64_t ticks_ = 0;
};

}  // namespace saver::swf
