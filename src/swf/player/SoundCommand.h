// SoundCommand: what a movie's scripts ask of its sound (the Sound object's start, stop and
// transforms). The script engine queues them while frames run; MoviePlayer::takeSoundCommands
// hands them, in order, to the sound layer, which carries them out on its mixer. Scripts never
// wait for the sound: positions and completion are reckoned on the movie's frame clock, so
// they read the same with or without a sound device.
#pragma once

#include <cstdint>
#include <memory>

namespace saver::swf {

class TimelineInstance;

// Percentages, as scripts set them: left and right output from the left and right input
// (ll, lr, rl, rr), times volume.
struct SoundTransform {
    double ll = 100, lr = 0, rl = 0, rr = 100;
    double volume = 100;
    bool operator==(const SoundTransform&) const = default;
};

// The transform a sound started on `clip` plays with: the volumes of the clip, of every clip
// above it and of the movie (`global`, null when none was set) multiply; the channel mix is the
// nearest one set. `ownOf(clip)` gives a clip's own transform (null: none), `parentOf(clip)` the
// clip above it (null at the top); at most 256 levels are followed. The script engine (its
// clip objects) and the sound layer (timelines) both reckon it.
template <class Clip, class OwnOf, class ParentOf>
SoundTransform ChainedTransform(Clip clip, OwnOf ownOf, ParentOf parentOf,
                                const SoundTransform* global) {
    SoundTransform out;
    bool mixSet = false;
    double volume = 1;
    for (int depth = 0; clip && depth < 256; ++depth) {
        if (const SoundTransform* own = ownOf(clip)) {
            volume *= own->volume / 100;
            if (!mixSet) out = *own;
            mixSet = true;
        }
        clip = parentOf(clip);
    }
    if (global) {
        volume *= global->volume / 100;
        if (!mixSet) out = *global;
    }
    out.volume = volume * 100;
    return out;
}

struct SoundCommand {
    enum class Kind : std::uint8_t {
        Start,      // soundId from offsetSeconds, `loops` times, as `channel`, with `transform`
        Stop,       // the sound playing as `channel`
        StopAll,    // every sound of the movie, frame sounds and streams included
        Transform,  // `transform` for the sound playing as `channel`
        // The own `transform` of `clip` (as its Sound objects set it), or of the whole movie:
        // what the sounds its frames start play with, the clips above it and the movie's
        // volumes multiplied in.
        ClipTransform,
        GlobalTransform,
        StopClip,  // the sounds the frames of `clip` started

    };
    Kind kind = Kind::Start;
    std::uint64_t channel = 0;  // the script engine's number for one started sound, from 1
    std::uint16_t soundId = 0;
    double offsetSeconds = 0;
    int loops = 1;
    SoundTransform transform;
    std::weak_ptr<const TimelineInstance> clip;  // ClipTransform, StopClip
};

}  // namespace saver::swf
