// SoundVoice: one sound the mixer plays, converted to the mixer's 44.1 kHz as it goes. The
// rate conversion interpolates linearly between source frames; Hold repeats each source frame
// instead (the way some reference renderers did it, so their output can be compared exactly).
#pragma once

#include <cstddef>
#include <cstdint>

namespace saver::swf {

inline constexpr int kMixRate = 44100;

enum class Interpolation : std::uint8_t { Linear, Hold };

enum class VoiceKind : std::uint8_t { Event, Stream };

class SoundVoice {
  public:
    virtual ~SoundVoice() = default;
    // Adds `frames` stereo frames to `acc` (interleaved, 32-bit so that voices add without
    // clipping). False when the voice has ended and can go; it adds nothing after that.
    virtual bool mix(std::int32_t* acc, std::size_t frames) = 0;
    virtual VoiceKind kind() const = 0;
    // The DefineSound id of an event voice, 0 for a stream.
    virtual std::uint16_t soundId() const { return 0; }
};

// Source positions in 32.32 fixed point: whole source frames above, fraction below.
using SourcePosition = std::uint64_t;

inline SourcePosition StepFor(double sourceRate) {
    return static_cast<SourcePosition>(sourceRate / kMixRate * 4294967296.0 + 0.5);
}

// The stereo frame of `samples` (interleaved, `frames` long) at `pos`; past the last frame
// the last one is held.
inline void SampleAt(const std::int16_t* samples, std::size_t frames, SourcePosition pos,
                     Interpolation mode, std::int32_t& left, std::int32_t& right) {
    const std::size_t i = static_cast<std::size_t>(pos >> 32);
    const std::int16_t* a = samples + 2 * i;
    if (mode == Interpolation::Hold || i + 1 >= frames) {
        left = a[0];
        right = a[1];
        return;
    }
    const std::int64_t f = static_cast<std::int64_t>(pos & 0xFFFFFFFFu);
    left = static_cast<std::int32_t>(a[0] + ((a[2] - a[0]) * f >> 32));
    right = static_cast<std::int32_t>(a[1] + ((a[3] - a[1]) * f >> 32));
}

}  // namespace saver::swf
