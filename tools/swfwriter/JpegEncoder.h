// JPEG encoding for the bitmap tags, through libjpeg: baseline, 4:2:0, standard tables.
//
// Failure: std::runtime_error when libjpeg reports an error (it has no other way to fail on
// well-formed input) and std::invalid_argument for an empty picture or a buffer of the wrong
// size.
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swfwriter {

// A picture to store: top-down rows of R, G, B, A bytes, straight (not premultiplied) alpha.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4
};

// A complete JPEG stream (SOI .. EOI) of the picture's colours; alpha is left out, and
// `premultiply` first multiplies the colours by it, as DefineBitsJPEG3 stores them.
std::vector<std::uint8_t> EncodeJpeg(const RgbaImage& image, int quality, bool premultiply);

// A stream cut into its tables (SOI, the DQT and DHT segments, EOI) and the rest (SOI, the
// other segments and the scan, EOI), the two halves of a JPEGTables / DefineBits pair.
struct JpegHalves {
    std::vector<std::uint8_t> tables;
    std::vector<std::uint8_t> image;
};
JpegHalves SplitJpegTables(const std::vector<std::uint8_t>& stream);

}  // namespace saver::swfwriter
