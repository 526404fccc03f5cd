// BitmapCharacter: a bitmap definition as the file stores it: the tag's image bytes, kept
// undecoded (the renderer decodes them when a fill first needs them), and the few header
// fields the tag carries in front of them.
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swf {

enum class BitmapCoding : std::uint8_t {
    // DefineBits: JPEG image data without its tables; those come from the movie's JPEGTables.
    JpegWithTables,
    // DefineBitsJPEG2/3/4: a complete JPEG stream, or (from SWF 8) PNG or GIF89a data.
    Embedded,
    // DefineBitsLossless/2: zlib-compressed pixels in one of the formats below.
    Lossless,
};

// Pixel formats of DefineBitsLossless(2).
enum class LosslessFormat : std::uint8_t { ColorMapped8 = 3, Rgb15 = 4, Rgb32 = 5 };

struct BitmapCharacter {
    std::uint16_t id = 0;
    std::uint16_t tagCode = 0;
    BitmapCoding coding = BitmapCoding::Embedded;
    std::vector<std::uint8_t> data;  // the image stream, or the compressed lossless pixels

    // DefineBitsJPEG3/4: the zlib-compressed alpha plane (one byte per pixel); empty if none.
    std::vector<std::uint8_t> alpha;
    // DefineBitsJPEG4: the deblocking filter strength (8.8 fixed point), read but not applied.
    std::uint16_t deblocking = 0;

    // Lossless only.
    LosslessFormat format = LosslessFormat::Rgb32;
    bool hasAlpha = false;  // DefineBitsLossless2: colours carry alpha, premultiplied
    std::uint16_t width = 0, height = 0;
    std::uint16_t colorTableSize = 0;  // ColorMapped8: entries in the table (1..256)
};

}  // namespace saver::swf
