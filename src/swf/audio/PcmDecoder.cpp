#include "swf/audio/PcmDecoder.h"

#include <algorithm>

namespace saver::swf {

void PcmDecoder::decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) {
    out.rate = format_.sampleRate();
    const std::size_t bytesPerSample = format_.is16Bit ? 2 : 1;
    const std::size_t frameBytes = bytesPerSample * format_.channels();
    const std::size_t frames = std::min(chunk.size() / frameBytes, kMaxChunkFrames);
    out.samples.reserve(out.samples.size() + frames * 2);
    auto sample = [&](std::size_t at) -> std::int16_t {
        if (!format_.is16Bit) return static_cast<std::int16_t>((chunk[at] - 128) * 256);
        return static_cast<std::int16_t>(chunk[at] | chunk[at + 1] << 8);
    };
    for (std::size_t f = 0; f < frames; ++f) {
        const std::size_t at = f * frameBytes;
        const std::int16_t left = sample(at);
        out.push(left, format_.stereo ? sample(at + bytesPerSample) : left);
    }
}

}  // namespace saver::swf
