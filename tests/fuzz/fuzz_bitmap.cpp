// libFuzzer target: any byte string as the contents of a bitmap tag. The first byte picks the
// tag's kind (and, for lossless bitmaps, format, alpha and a small size from the next bytes);
// the rest is the image data. Crashes, sanitizer reports, hangs and allocations beyond the
// 16 MiB cap are findings; nothing decoded is an answer.
#include <cstddef>
#include <cstdint>
#include <span>

#include "swf/render/BitmapDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace saver::swf;
    if (size < 6) return 0;
    BitmapCharacter bitmap;
    const std::uint8_t kind = data[0];
    bitmap.coding = static_cast<BitmapCoding>(kind % 3);
    bitmap.format = static_cast<LosslessFormat>(3 + (kind >> 2) % 3);
    bitmap.hasAlpha = (kind & 0x20) != 0;
    bitmap.width = data[1];
    bitmap.height = data[2];
    bitmap.colorTableSize = static_cast<std::uint16_t>(data[3] + 1);
    // With the top bit set, the data is split into a JPEG stream and an alpha plane.
    std::span<const std::uint8_t> rest(data + 4, size - 4);
    std::span<const std::uint8_t> tables;
    if ((kind & 0x80) != 0) {
        const std::size_t cut = rest.size() / 2;
        bitmap.alpha.assign(rest.begin() + static_cast<std::ptrdiff_t>(cut), rest.end());
        rest = rest.first(cut);
    }
    if ((kind & 0x40) != 0) {  // part of it as the movie's JPEGTables
        tables = rest.first(rest.size() / 3);
        rest = rest.subspan(tables.size());
    }
    bitmap.data.assign(rest.begin(), rest.end());
    const auto decoded = BitmapDecoder::decode(bitmap, tables, std::size_t{16} << 20);
    if (decoded &&
        decoded->pixels.size() != static_cast<std::size_t>(decoded->width) * decoded->height * 4)
        __builtin_trap();
    return 0;
}
