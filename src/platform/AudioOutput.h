// The sound half of the platform seam: a device that plays 44.1 kHz 16-bit stereo, pulling the
// samples from the caller as it needs them. Win32: waveOut in shared mode with four buffers of
// about 23 ms (under 100 ms of latency); host: no device.
//
// The pull runs on the output's own thread, so whatever it reads must be guarded against the
// thread that changes it.
//
// Failure: start() returns false when there is no usable device (none installed, the driver
// refuses the format); nothing is pulled then and the caller plays on silently. Nothing is
// shown to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace saver {

class AudioOutput {
  public:
    // Fills `frames` stereo frames (2 * frames samples) at `out`.
    using Pull = std::function<void(std::int16_t* out, std::size_t frames)>;

    virtual ~AudioOutput() = default;
    // Starts playing; a running output is stopped first.
    virtual bool start(Pull pull) = 0;
    // Stops at once, dropping what is queued; no pull runs once it returns. Safe to call when
    // not started.
    virtual void stop() = 0;
};

// The system's default output device (waveOut on Windows; on the host one that never starts).
std::unique_ptr<AudioOutput> MakeAudioOutput();

}  // namespace saver
