// AudioMixer: adds up the playing voices into 44.1 kHz 16-bit stereo, clipping the sum. Voices
// that end are dropped as they end. Muting keeps every voice playing (time goes on) and only
// silences the output.
//
// A capture hook, for tests and conformance runs, sees each voice's own 44.1 kHz output before
// mixing, tagged by the serial number add() gave it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "swf/audio/SoundVoice.h"

namespace saver::swf {

class AudioMixer {
  public:
    using Capture = std::function<void(std::uint64_t serial, std::span<const std::int32_t>)>;

    // Takes the voice; returns its serial number (1, 2, ... in order of adding).
    std::uint64_t add(std::unique_ptr<SoundVoice> voice);
    // The voice with this serial while it plays, else nullptr.
    SoundVoice* find(std::uint64_t serial) const;
    void remove(std::uint64_t serial);
    // Removes the voices `pred` selects.
    void removeIf(const std::function<bool(const SoundVoice&)>& pred);
    bool any(const std::function<bool(const SoundVoice&)>& pred) const;
    void clear() { voices_.clear(); }
    std::size_t size() const { return voices_.size(); }
    // The serial the next add() will give.
    std::uint64_t nextSerial() const { return nextSerial_; }

    // A voice's channel mix: left out = ll * left + rl * right, right out = lr * left + rr *
    // right (1 each way leaves it as it is).
    struct Gains {
        float ll = 1, lr = 0, rl = 0, rr = 1;
    };
    void setGains(std::uint64_t serial, Gains gains);

    void setMuted(bool muted) { muted_ = muted; }
    void setCapture(Capture capture) { capture_ = std::move(capture); }

    // Writes `frames` stereo frames (2 * frames samples) to `out`.
    void render(std::int16_t* out, std::size_t frames);

  private:
    struct Entry {
        std::uint64_t serial;
        std::unique_ptr<SoundVoice> voice;
        std::optional<Gains> gains;
    };
    std::vector<Entry> voices_;
    std::vector<std::int32_t> acc_, own_;
    std::uint64_t nextSerial_ = 1;
    bool muted_ = false;
    Capture capture_;
};

}  // namespace saver::swf
