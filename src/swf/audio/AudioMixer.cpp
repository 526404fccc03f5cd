#include "swf/audio/AudioMixer.h"

#include <algorithm>

namespace saver::swf {

std::uint64_t AudioMixer::add(std::unique_ptr<SoundVoice> voice) {
    voices_.push_back({nextSerial_, std::move(voice), std::nullopt});
    return nextSerial_++;
}

SoundVoice* AudioMixer::find(std::uint64_t serial) const {
    for (const Entry& e : voices_)
        if (e.serial == serial) return e.voice.get();
    return nullptr;
}

void AudioMixer::remove(std::uint64_t serial) {
    std::erase_if(voices_, [&](const Entry& e) { return e.serial == serial; });
}

void AudioMixer::removeIf(const std::function<bool(const SoundVoice&)>& pred) {
    std::erase_if(voices_, [&](const Entry& e) { return pred(*e.voice); });
}

bool AudioMixer::any(const std::function<bool(const SoundVoice&)>& pred) const {
    return std::any_of(voices_.begin(), voices_.end(),
                       [&](const Entry& e) { return pred(*e.voice); });
}

void AudioMixer::setGains(std::uint64_t serial, Gains gains) {
    for (Entry& e : voices_)
        if (e.serial == serial) e.gains = gains;
}

void AudioMixer::render(std::int16_t* out, std::size_t frames) {
    acc_.assign(frames * 2, 0);
    // With a capture, each voice mixes into its own buffer first so its part can be seen.
    for (std::size_t i = 0; i < voices_.size();) {
        bool alive;
        if (capture_ || voices_[i].gains) {
            own_.assign(frames * 2, 0);
            alive = voices_[i].voice->mix(own_.data(), frames);
            if (capture_) capture_(voices_[i].serial, own_);
            if (const auto& g = voices_[i].gains) {
                for (std::size_t k = 0; k + 1 < own_.size(); k += 2) {
                    const float l = static_cast<float>(own_[k]),
                                r = static_cast<float>(own_[k + 1]);
                    acc_[k] += static_cast<std::int32_t>(g->ll * l + g->rl * r);
                    acc_[k + 1] += static_cast<std::int32_t>(g->lr * l + g->rr * r);
                }
            } else {
                for (std::size_t k = 0; k < own_.size(); ++k) acc_[k] += own_[k];
            }
        } else {
            alive = voices_[i].voice->mix(acc_.data(), frames);
        }
        if (alive)
            ++i;
        else
            voices_.erase(voices_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (std::size_t k = 0; k < frames * 2; ++k)
        out[k] = muted_ ? 0 : static_cast<std::int16_t>(std::clamp(acc_[k], -32768, 32767));
}

}  // namespace saver::swf
