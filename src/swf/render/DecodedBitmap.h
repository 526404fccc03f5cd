// DecodedBitmap: a bitmap ready to paint: top-down rows, 4 bytes per pixel in the order B, G,
// R, A with the colours premultiplied by alpha (each colour at most its alpha), stride
// width * 4.
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swf {

// The largest side of a bitmap that is decoded.
inline constexpr int kMaxBitmapSide = 16384;

struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    bool opaque = true;  // every alpha is 255

    std::size_t bytes() const { return pixels.size(); }
};

}  // namespace saver::swf
