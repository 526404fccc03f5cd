// PcmBuffer: decoded sound at its own sample rate, always two channels (a mono source is
// doubled), interleaved 16-bit samples: left, right, left, right, ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace saver::swf {

struct PcmBuffer {
    double rate = 44100;  // sample frames per second
    std::vector<std::int16_t> samples;

    std::size_t frames() const { return samples.size() / 2; }
    void push(std::int16_t left, std::int16_t right) {
        samples.push_back(left);
        samples.push_back(right);
    }
};

}  // namespace saver::swf
