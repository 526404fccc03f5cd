// Each code is a sign bit and a magnitude; the magnitude's bits add halving fractions of the
// current step to the prediction, and move the step index through the IMA step table by the
// code size's own index-change table.
#include "swf/audio/AdpcmDecoder.h"

#include <algorithm>
#include <array>

namespace saver::swf {

namespace {

constexpr std::array<int, 89> kSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Index changes by magnitude, per code size 2..5 (the magnitude has 1..4 bits).
constexpr int kIndexShift2[] = {-1, 2};
constexpr int kIndexShift3[] = {-1, -1, 2, 4};
constexpr int kIndexShift4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndexShift5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexShifts[] = {kIndexShift2, kIndexShift3, kIndexShift4, kIndexShift5};

// MSB-first bits over a chunk; knows how many are left, never reads past the end.
class Bits {
  public:
    explicit Bits(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t left() const { return data_.size() * 8 - pos_; }
    std::uint32_t take(unsigned count) {
        std::uint32_t value = 0;
        for (unsigned i = 0; i < count; ++i, ++pos_)
            value = value << 1 | ((data_[pos_ / 8] >> (7 - pos_ % 8)) & 1u);
        return value;
    }

  private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

struct Channel {
    int predicted = 0;
    int index = 0;

    void apply(std::uint32_t code, unsigned codeBits) {
        const std::uint32_t signBit = 1u << (codeBits - 1);
        const std::uint32_t magnitude = code & (signBit - 1);
        const int step = kSteps[index];
        int diff = step >> (codeBits - 1);
        for (unsigned bit = 0; bit + 1 < codeBits; ++bit)  // highest magnitude bit: whole step
            if (magnitude & (signBit >> (bit + 1))) diff += step >> bit;
        predicted = std::clamp(predicted + ((code & signBit) ? -diff : diff), -32768, 32767);
        index = std::clamp(index + kIndexShifts[codeBits - 2][magnitude], 0, 88);
    }
};

}  // namespace

void AdpcmDecoder::decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) {
    out.rate = format_.sampleRate();
    if (chunk.empty()) return;
    Bits bits(chunk);
    const unsigned codeBits = bits.take(2) + 2;
    const unsigned channels = format_.channels();
    std::size_t emitted = 0;
    Channel ch[2];
    auto emit = [&] {
        out.push(static_cast<std::int16_t>(ch[0].predicted),
                 static_cast<std::int16_t>(ch[channels - 1].predicted));
        ++emitted;
    };
    while (bits.left() >= 22 * channels && emitted < kMaxChunkFrames) {
        for (unsigned c = 0; c < channels; ++c) {
            ch[c].predicted = static_cast<std::int16_t>(bits.take(16));
            ch[c].index = static_cast<int>(bits.take(6));
            ch[c].index = std::min(ch[c].index, 88);
        }
        emit();
        const std::size_t codes = std::min<std::size_t>(bits.left() / (codeBits * channels), 4095);
        for (std::size_t i = 0; i < codes && emitted < kMaxChunkFrames; ++i) {
            for (unsigned c = 0; c < channels; ++c) ch[c].apply(bits.take(codeBits), codeBits);
            emit();
        }
    }
}

}  // namespace saver::swf
