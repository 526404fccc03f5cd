// The queue is one PcmBuffer with a read position; played frames are cut off its front once
// they make up most of it, so it stays about a block or two long.
#include "swf/audio/StreamVoice.h"

#include <algorithm>

#include "swf/audio/SoundChunks.h"

namespace saver::swf {

StreamVoice::StreamVoice(const SoundStreamHead& head, Interpolation mode)
    : format_(head.stream), decoder_(MakeSoundDecoder(head.stream)), mode_(mode) {
    queue_.rate = format_.sampleRate();
    skip_ = static_cast<std::size_t>(std::max<int>(0, head.latencySeek));
    lead_ = 2 * std::size_t{head.samplesPerBlock};
}

void StreamVoice::feed(std::span<const std::uint8_t> block) {
    if (!decoder_) return;
    const std::size_t before = queue_.frames();
    decoder_->decode(StreamBlockPayload(format_, block), queue_);
    const std::size_t drop = std::min(skip_, queue_.frames() - before);
    auto& s = queue_.samples;
    s.erase(s.begin() + static_cast<std::ptrdiff_t>(before * 2),
            s.begin() + static_cast<std::ptrdiff_t>((before + drop) * 2));
    skip_ -= drop;
}

std::size_t StreamVoice::queuedFrames() const {
    const std::size_t at = static_cast<std::size_t>(pos_ >> 32);
    return queue_.frames() > at ? queue_.frames() - at : 0;
}

void StreamVoice::dropQueued(std::size_t frames) {
    pos_ += static_cast<SourcePosition>(std::min(frames, queuedFrames())) << 32;
    compact();
}

bool StreamVoice::mix(std::int32_t* acc, std::size_t frames) {
    if (!playing_) playing_ = closed_ || queuedFrames() >= std::max<std::size_t>(lead_, 1);
    if (!playing_) return true;
    const SourcePosition step = StepFor(queue_.rate);
    const SourcePosition end = static_cast<SourcePosition>(queue_.frames()) << 32;
    for (std::size_t i = 0; i < frames && pos_ < end; ++i) {
        std::int32_t left, right;
        SampleAt(queue_.samples.data(), queue_.frames(), pos_, mode_, left, right);
        acc[2 * i] += left;
        acc[2 * i + 1] += right;
        pos_ += step;
    }
    if (queuedFrames() == 0) playing_ = false;
    compact();
    return !(closed_ && queuedFrames() == 0);
}

void StreamVoice::compact() {
    const std::size_t played = std::min(static_cast<std::size_t>(pos_ >> 32), queue_.frames());
    if (played < 4096 || played * 2 < queue_.frames()) return;
    auto& s = queue_.samples;
    s.erase(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(played * 2));
    pos_ -= static_cast<SourcePosition>(played) << 32;
}

}  // namespace saver::swf
