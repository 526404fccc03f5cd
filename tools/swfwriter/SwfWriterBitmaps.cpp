// The bitmap definitions of SwfWriter.
#include <zlib.h>

#include <stdexcept>

#include "BitWriter.h"
#include "SwfWriter.h"

namespace saver::swfwriter {

std::uint16_t SwfWriter::DefineBits(const RgbaImage& image, int quality) {
    const JpegHalves halves = SplitJpegTables(EncodeJpeg(image, quality, false));
    if (jpegTablesQuality_ == 0) {
        root_.AppendTag(TagCode::JpegTables, halves.tables);
        jpegTablesQuality_ = quality;
    } else if (jpegTablesQuality_ != quality) {
        throw std::invalid_argument("DefineBits images of one movie share one quality");
    }
    const std::uint16_t id = NextId();
    BitWriter w;
    w.WriteU16(id);
    w.WriteBytes(halves.image);
    root_.AppendTag(TagCode::DefineBits, w.Bytes());
    return id;
}

std::uint16_t SwfWriter::DefineBitsJpeg2(const RgbaImage& image, int quality, bool strayMarkers) {
    const std::uint16_t id = NextId();
    BitWriter w;
    w.WriteU16(id);
    if (strayMarkers) w.WriteBytes(std::vector<std::uint8_t>{0xFF, 0xD9, 0xFF, 0xD8});
    w.WriteBytes(EncodeJpeg(image, quality, false));
    root_.AppendTag(TagCode::DefineBitsJpeg2, w.Bytes());
    return id;
}

std::uint16_t SwfWriter::DefineBitsJpeg3(const RgbaImage& image, int quality) {
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(image, quality, true);
    std::vector<std::uint8_t> alpha(image.rgba.size() / 4);
    for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = image.rgba[i * 4 + 3];
    uLongf bound = compressBound(static_cast<uLong>(alpha.size()));
    std::vector<std::uint8_t> packed(bound);
    if (compress2(packed.data(), &bound, alpha.data(), static_cast<uLong>(alpha.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    packed.resize(bound);
    const std::uint16_t id = NextId();
    BitWriter w;
    w.WriteU16(id);
    w.WriteU32(static_cast<std::uint32_t>(jpeg.size()));
    w.WriteBytes(jpeg);
    w.WriteBytes(packed);
    root_.AppendTag(TagCode::DefineBitsJpeg3, w.Bytes());
    return id;
}

}  // namespace saver::swfwriter
