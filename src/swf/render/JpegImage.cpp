// SWF JPEG data comes in two halves when a DefineBits shares the movie's JPEGTables, and the
// tools that wrote it left an end-of-image / start-of-image pair between the halves (and then,
// out of habit, in front of many DefineBitsJPEG2/3 images too). Flash's decoder skips such a
// pair; a standard decoder stops at the end-of-image marker. So the stream is rebuilt marker by
// marker up to the first scan: one start-of-image, every table and header segment in order,
// no end-of-image; from the first scan on the bytes are copied unchanged.
//
// The pixels come from the settings dialog's libjpeg decoder, which refuses damaged data
// rather than padding it with grey.
#include <algorithm>

#include "picture/JpegDecoder.h"
#include "swf/render/ImageCodecs.h"

namespace saver::swf {

namespace {

constexpr std::uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kTem = 0x01;

bool StandAlone(std::uint8_t marker) {
    return marker == kSoi || marker == kEoi || marker == kTem || (marker >= 0xD0 && marker <= 0xD7);
}

bool FrameHeader(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

std::vector<std::uint8_t> CleanJpegStream(std::span<const std::uint8_t> tables,
                                          std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t> joined;
    joined.reserve(tables.size() + image.size());
    joined.insert(joined.end(), tables.begin(), tables.end());
    joined.insert(joined.end(), image.begin(), image.end());

    std::vector<std::uint8_t> out{0xFF, kSoi};
    out.reserve(joined.size() + 2);
    std::size_t pos = 0;
    while (pos < joined.size()) {
        if (joined[pos] != 0xFF || pos + 1 >= joined.size()) return {};
        const std::uint8_t marker = joined[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == kSos) {
            out.insert(out.end(), joined.begin() + static_cast<std::ptrdiff_t>(pos), joined.end());
            if (out.size() < 2 || out[out.size() - 2] != 0xFF || out.back() != kEoi) {
                out.push_back(0xFF);
                out.push_back(kEoi);
            }
            return out;
        }
        if (StandAlone(marker)) {  // start/end of image pairs (and stray restarts) go
            pos += 2;
            continue;
        }
        if (pos + 4 > joined.size()) return {};
        const std::size_t length = (std::size_t{joined[pos + 2]} << 8) | joined[pos + 3];
        if (length < 2 || pos + 2 + length > joined.size()) return {};
        out.insert(out.end(), joined.begin() + static_cast<std::ptrdiff_t>(pos),
                   joined.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
        pos += 2 + length;
    }
    return {};  // no scan: no image
}

std::optional<DecodedBitmap> DecodeJpegImage(std::span<const std::uint8_t> stream,
                                             std::size_t maxBytes) {
    // The frame header gives the size, so an oversized picture is refused before libjpeg
    // allocates anything. CleanJpegStream has checked every segment's length up to the scan.
    bool sized = false;
    for (std::size_t pos = 2; pos + 9 <= stream.size() && stream[pos + 1] != kSos;) {
        if (FrameHeader(stream[pos + 1])) {
            const std::int64_t height = (stream[pos + 5] << 8) | stream[pos + 6];
            const std::int64_t width = (stream[pos + 7] << 8) | stream[pos + 8];
            if (!BitmapFits(width, height, maxBytes)) return std::nullopt;
            sized = true;
            break;
        }
        pos += 2 + ((std::size_t{stream[pos + 2]} << 8) | stream[pos + 3]);
    }
    if (!sized) return std::nullopt;
    std::optional<BgraPicture> picture = DecodeJpeg(stream);
    if (!picture) return std::nullopt;
    DecodedBitmap bitmap;
    bitmap.width = picture->width;
    bitmap.height = picture->height;
    bitmap.pixels = std::move(picture->pixels);
    bitmap.opaque = true;
    return bitmap;
}

}  // namespace saver::swf
