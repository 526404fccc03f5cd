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
};

}  // namespace saver::swf
