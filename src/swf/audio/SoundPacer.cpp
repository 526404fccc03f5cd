// Frame times are computed from the tick count each time rather than summed, so a frame rate
// such as 24 (1837.5 output frames per tick) does not drift over an hour.
#include "swf/audio/SoundPacer.h"

#include <algorithm>
#include <cmath>

namespace saver::swf {

SoundPacer::SoundPacer(MoviePlayer& player, MovieSound& sound, AudioMixer& mixer)
    : player_(player), sound_(sound), mixer_(mixer) {
    framesPerTick_ = kMixRate / player_.frameRate();
    sound_.onFrames(player_.takeFrameLog());
    sound_.onCommands(player_.takeSoundCommands());
}

std::uint64_t SoundPacer::nextTickAt() const {
    return static_cast<std::uint64_t>(std::ceil(static_cast<double>(ticks_ + 1) * framesPerTick_));
}

void SoundPacer::render(std::int16_t* out, std::size_t frames) {
    while (frames > 0) {
        const std::uint64_t due = nextTickAt();
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(frames, due - rendered_));
        mixer_.render(out, n);
        out += 2 * n;
        frames -= n;
        rendered_ += n;
        if (rendered_ >= due) {
            player_.tick();
            ++ticks_;
            sound_.onFrames(player_.takeFrameLog());
            sound_.onCommands(player_.takeSoundCommands());
        }
    }
}

}  // namespace saver::swf
