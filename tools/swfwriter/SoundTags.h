// Sound control tags for a timeline: a stream of uncompressed 16-bit little-endian samples
// (SoundStreamHead2 once, then one SoundStreamBlock per frame), StartSound of a DefineSound, and
// ExportAssets to give a character a linkage name.
//
// Failures throw std::invalid_argument: a rate code above 3, a block with a stereo stream's odd
// sample count, a linkage name holding a zero byte.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "Timeline.h"

namespace saver::swfwriter {

struct StreamFormat {
    std::uint8_t rateCode = 3;  // 5512 << rateCode Hz
    bool stereo = true;
    std::uint16_t samplesPerBlock = 0;  // per channel, the average block
};

void AppendStreamHead(Timeline& timeline, const StreamFormat& format);
// One frame's samples (interleaved when stereo).
void AppendStreamBlock(Timeline& timeline, const StreamFormat& format,
                       std::span<const std::int16_t> samples);
// StartSound with `loops` (> 1 stores the loop count); `stop` stops the sound instead.
void AppendStartSound(Timeline& timeline, std::uint16_t soundId, std::uint16_t loops = 1,
                      bool stop = false);
void AppendExport(Timeline& timeline, std::uint16_t id, std::string_view name);

// Mono samples [from, from + count) of a sine at `hz` sampled at `rate`, peak `amplitude`.
std::vector<std::int16_t> Sine(double hz, std::size_t from, std::size_t count, double rate,
                               double amplitude);

}  // namespace saver::swfwriter
