// The expansions of ITU-T G.711: a sign bit, a 3-bit segment (exponent) and a 4-bit step
// within it. A-law codes have every other bit inverted (0x55); mu-law codes are stored
// complemented and carry a bias of 33 (0x84 after the shift) that is taken off again.
#include "swf/audio/G711Decoder.h"

#include <algorithm>

namespace saver::swf {

std::int16_t G711Decoder::expandALaw(std::uint8_t code) {
    code ^= 0x55;
    const int segment = (code >> 4) & 7;
    int magnitude = (code & 0x0F) << 4;
    magnitude += segment == 0 ? 8 : 0x108;
    if (segment > 1) magnitude <<= segment - 1;
    return static_cast<std::int16_t>((code & 0x80) ? magnitude : -magnitude);
}

std::int16_t G711Decoder::expandMuLaw(std::uint8_t code) {
    code = static_cast<std::uint8_t>(~code);
    const int segment = (code >> 4) & 7;
    const int magnitude = (((code & 0x0F) << 3) + 0x84) << segment;
    return static_cast<std::int16_t>((code & 0x80) ? 0x84 - magnitude : magnitude - 0x84);
}

void G711Decoder::decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) {
    out.rate = rate_;
    const std::size_t frames = std::min(chunk.size(), kMaxChunkFrames);
    out.samples.reserve(out.samples.size() + frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::int16_t s = aLaw_ ? expandALaw(chunk[i]) : expandMuLaw(chunk[i]);
        out.push(s, s);
    }
}

}  // namespace saver::swf
