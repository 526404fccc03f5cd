// The tags differ only in what precedes the image bytes; everything after the header is kept
// as one copy, so the reader never holds more than the file's own bytes for a bitmap.
#include "swf/format/BitmapTagReader.h"

namespace saver::swf {

namespace {

enum BitmapTag : std::uint16_t {
    kDefineBits = 6,
    kDefineBitsLossless = 20,
    kDefineBitsJpeg2 = 21,
    kDefineBitsJpeg3 = 35,
    kDefineBitsLossless2 = 36,
    kDefineBitsJpeg4 = 90,
};

std::vector<std::uint8_t> Rest(SwfBitReader& body) {
    const auto bytes = body.bytes(body.remaining());
    return {bytes.begin(), bytes.end()};
}

}  // namespace

bool BitmapTagReader::isBitmapTag(std::uint16_t code) {
    switch (code) {
        case kDefineBits:
        case kDefineBitsLossless:
        case kDefineBitsJpeg2:
        case kDefineBitsJpeg3:
        case kDefineBitsLossless2:
        case kDefineBitsJpeg4:
            return true;
        default:
            return false;
    }
}

BitmapCharacter BitmapTagReader::read(std::uint16_t code, SwfBitReader& body) {
    BitmapCharacter bitmap;
    bitmap.tagCode = code;
    bitmap.id = body.u16();
    switch (code) {
        case kDefineBits:
            bitmap.coding = BitmapCoding::JpegWithTables;
            bitmap.data = Rest(body);
            break;
        case kDefineBitsJpeg2:
            bitmap.data = Rest(body);
            break;
        case kDefineBitsJpeg3:
        case kDefineBitsJpeg4: {
            const std::uint32_t imageSize = body.u32();
            if (code == kDefineBitsJpeg4) bitmap.deblocking = body.u16();
            if (imageSize > body.remaining()) {
                bitmap.data.clear();  // damaged: the image draws nothing
                break;
            }
            const auto image = body.bytes(imageSize);
            bitmap.data.assign(image.begin(), image.end());
            bitmap.alpha = Rest(body);
            break;
        }
        default: {  // DefineBitsLossless(2)
            bitmap.coding = BitmapCoding::Lossless;
            bitmap.hasAlpha = code == kDefineBitsLossless2;
            bitmap.format = static_cast<LosslessFormat>(body.u8());
            bitmap.width = body.u16();
            bitmap.height = body.u16();
            if (bitmap.format == LosslessFormat::ColorMapped8)
                bitmap.colorTableSize = static_cast<std::uint16_t>(body.u8() + 1);
            bitmap.data = Rest(body);
            break;
        }
    }
    return bitmap;
}

}  // namespace saver::swf
