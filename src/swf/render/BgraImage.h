// BgraImage: a frame buffer the renderer draws into: top-down rows of 4 bytes per pixel in the
// order B, G, R, A (the layout of a 32-bit top-down Windows DIB), stride width * 4.
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swf {

struct BgraImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    void resize(int w, int h) {
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
    }

    // For an image that is clear already: takes the new size without writing the bytes it
    // keeps (they stay zero, whatever row they now fall in); only bytes added are cleared.
    // Growing past the room it has leaves a quarter more room: a layer a few rows taller
    // then does not move (and bring in fresh memory for) all of its pixels again.
    void resizeClear(int w, int h) {
        width = w;
        height = h;
        const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
        if (n > pixels.capacity()) pixels.reserve(n + n / 4);
        pixels.resize(n);
    }
};

}  // namespace saver::swf
