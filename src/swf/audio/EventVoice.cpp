// The in and out points are 44.1 kHz positions whatever the sound's own rate, so they are
// scaled to source frames once; playing then walks the source in 32.32 fixed point so a long
// loop does not drift.
#include "swf/audio/EventVoice.h"

#include <algorithm>

namespace saver::swf {

EventVoice::EventVoice(std::uint16_t soundId, std::shared_ptr<const PcmBuffer> pcm,
                       const SoundInfo& info, Interpolation mode)
    : soundId_(soundId), pcm_(std::move(pcm)), mode_(mode), envelope_(info.envelope) {
    const std::size_t frames = pcm_->frames();
    step_ = StepFor(pcm_->rate);
    const std::uint32_t in44 = info.inPoint.value_or(0);
    first_ = std::min<std::size_t>(frames, static_cast<std::size_t>(in44 * pcm_->rate / kMixRate));
    length_ = static_cast<SourcePosition>(frames - first_) << 32;
    if (info.outPoint) {
        const std::uint64_t out44 = std::max(*info.outPoint, in44) - in44;
        length_ = std::min<SourcePosition>(length_, out44 * step_);
    }
    loopsLeft_ = std::max<unsigned>(1, info.loopCount);
    if (length_ == 0) loopsLeft_ = 0;
}

void EventVoice::envelopeAt(std::uint64_t played, std::int32_t& left, std::int32_t& right) {
    while (envelopeIndex_ < envelope_.size() && envelope_[envelopeIndex_].position44 <= played)
        ++envelopeIndex_;
    std::int32_t l = 32768, r = 32768;
    if (envelopeIndex_ == 0) {
        l = envelope_[0].leftLevel;
        r = envelope_[0].rightLevel;
    } else if (envelopeIndex_ == envelope_.size()) {
        l = envelope_.back().leftLevel;
        r = envelope_.back().rightLevel;
    } else {
        const SoundEnvelopePoint& a = envelope_[envelopeIndex_ - 1];
        const SoundEnvelopePoint& b = envelope_[envelopeIndex_];
        const double t = double(played - a.position44) / double(b.position44 - a.position44);
        l = static_cast<std::int32_t>(a.leftLevel + (b.leftLevel - a.leftLevel) * t);
        r = static_cast<std::int32_t>(a.rightLevel + (b.rightLevel - a.rightLevel) * t);
    }
    left = static_cast<std::int32_t>(std::int64_t{left} * std::min(l, 32768) >> 15);
    right = static_cast<std::int32_t>(std::int64_t{right} * std::min(r, 32768) >> 15);
}

bool EventVoice::mix(std::int32_t* acc, std::size_t frames) {
    const std::int16_t* source = pcm_->samples.data() + 2 * first_;
    const std::size_t available = pcm_->frames() - first_;
    for (std::size_t i = 0; i < frames; ++i) {
        if (pos_ >= length_) {
            if (loopsLeft_ > 0) --loopsLeft_;
            pos_ = loopsLeft_ > 0 ? pos_ - length_ : length_;
        }
        if (loopsLeft_ == 0) return false;
        std::int32_t left, right;
        SampleAt(source, available, pos_, mode_, left, right);
        if (!envelope_.empty()) envelopeAt(played_, left, right);
        acc[2 * i] += left;
        acc[2 * i + 1] += right;
        pos_ += step_;
        ++played_;
    }
    return true;
}

}  // namespace saver::swf
