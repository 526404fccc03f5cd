// Lossless pixels and JPEG alpha planes are inflated into buffers of exactly the size their
// header implies: a stream that ends early is damaged (nothing is drawn), one that goes on is
// cut, and no header can make the decoder allocate more than its size caps allow.
#include "swf/render/BitmapDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "swf/render/ImageCodecs.h"

namespace saver::swf {

namespace {

enum class ImageKind { Jpeg, Png, Gif, Unknown };

ImageKind KindOf(std::span<const std::uint8_t> d) {
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (d.size() >= 2 && d[0] == 0xFF && (d[1] == 0xD8 || d[1] == 0xD9)) return ImageKind::Jpeg;
    if (d.size() >= 8 && std::memcmp(d.data(), kPng, 8) == 0) return ImageKind::Png;
    if (d.size() >= 6 && std::memcmp(d.data(), "GIF8", 4) == 0 && (d[4] == '7' || d[4] == '9') &&
        d[5] == 'a')
        return ImageKind::Gif;
    return ImageKind::Unknown;
}

// Inflates the zlib stream `in` into exactly `size` bytes; false when it yields fewer or is
// damaged before that.
bool Inflate(std::span<const std::uint8_t> in, std::size_t size, std::vector<std::uint8_t>& out) {
    out.resize(size);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), UINT32_MAX));
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(size);
    int status = Z_OK;
    while (z.avail_out > 0 && status == Z_OK) status = inflate(&z, Z_SYNC_FLUSH);
    inflateEnd(&z);
    return z.avail_out == 0;
}

// Colour-mapped rows: each byte an index into the table in front of the pixels.
void ExpandColorMapped(const BitmapCharacter& b, const std::vector<std::uint8_t>& raw,
                       DecodedBitmap& out) {
    const std::size_t entryBytes = b.hasAlpha ? 4 : 3;
    const std::size_t stride = (std::size_t{b.width} + 3) & ~std::size_t{3};
    std::uint8_t table[256][4] = {};
    for (std::size_t i = 0; i < 256; ++i) {
        std::uint8_t* t = table[i];
        if (i >= b.colorTableSize) {  // black, or transparent where there is alpha
            t[3] = b.hasAlpha ? 0 : 255;
            continue;
        }
        const std::uint8_t* e = raw.data() + i * entryBytes;
        t[3] = b.hasAlpha ? e[3] : 255;
        t[0] = std::min(e[2], t[3]);
        t[1] = std::min(e[1], t[3]);
        t[2] = std::min(e[0], t[3]);
    }
    const std::uint8_t* pixels = raw.data() + b.colorTableSize * entryBytes;
    for (std::size_t y = 0; y < b.height; ++y)
        for (std::size_t x = 0; x < b.width; ++x)
            std::memcpy(out.pixels.data() + (y * b.width + x) * 4, table[pixels[y * stride + x]],
                        4);
}

// 15-bit rows: big-endian 0RRRRRGG GGGBBBBB, each channel widened to eight bits.
void ExpandRgb15(const BitmapCharacter& b, const std::vector<std::uint8_t>& raw,
                 DecodedBitmap& out) {
    const std::size_t stride = ((std::size_t{b.width} * 2) + 3) & ~std::size_t{3};
    auto widen = [](unsigned v) { return static_cast<std::uint8_t>((v * 255 + 15) / 31); };
    for (std::size_t y = 0; y < b.height; ++y) {
        for (std::size_t x = 0; x < b.width; ++x) {
            const std::uint8_t* s = raw.data() + y * stride + x * 2;
            const unsigned v = (unsigned{s[0]} << 8) | s[1];
            std::uint8_t* p = out.pixels.data() + (y * b.width + x) * 4;
            p[0] = widen(v & 0x1F);
            p[1] = widen((v >> 5) & 0x1F);
            p[2] = widen((v >> 10) & 0x1F);
            p[3] = 255;
        }
    }
}

// 32-bit pixels: A (or an unused byte), R, G, B; with alpha the colours are premultiplied.
void ExpandRgb32(const BitmapCharacter& b, const std::vector<std::uint8_t>& raw,
                 DecodedBitmap& out) {
    const std::size_t count = std::size_t{b.width} * b.height;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* s = raw.data() + i * 4;
        std::uint8_t* p = out.pixels.data() + i * 4;
        const std::uint8_t a = b.hasAlpha ? s[0] : 255;
        p[0] = std::min(s[3], a);
        p[1] = std::min(s[2], a);
        p[2] = std::min(s[1], a);
        p[3] = a;
    }
}

std::optional<DecodedBitmap> DecodeLossless(const BitmapCharacter& b, std::size_t maxBytes) {
    if (!BitmapFits(b.width, b.height, maxBytes)) return std::nullopt;
    std::size_t rawSize = 0;
    switch (b.format) {
        case LosslessFormat::ColorMapped8:
            rawSize = b.colorTableSize * (b.hasAlpha ? 4u : 3u) +
                      ((std::size_t{b.width} + 3) & ~std::size_t{3}) * b.height;
            break;
        case LosslessFormat::Rgb15:
            rawSize = ((std::size_t{b.width} * 2 + 3) & ~std::size_t{3}) * b.height;
            break;
        case LosslessFormat::Rgb32:
            rawSize = std::size_t{b.width} * b.height * 4;
            break;
        default:
            return std::nullopt;
    }
    std::vector<std::uint8_t> raw;
    if (!Inflate(b.data, rawSize, raw)) return std::nullopt;
    DecodedBitmap out;
    out.width = b.width;
    out.height = b.height;
    out.pixels.resize(std::size_t{b.width} * b.height * 4);
    if (b.format == LosslessFormat::ColorMapped8)
        ExpandColorMapped(b, raw, out);
    else if (b.format == LosslessFormat::Rgb15)
        ExpandRgb15(b, raw, out);
    else
        ExpandRgb32(b, raw, out);
    out.opaque = true;
    for (std::size_t i = 3; i < out.pixels.size() && out.opaque; i += 4)
        out.opaque = out.pixels[i] == 255;
    return out;
}

// DefineBitsJPEG3/4's alpha plane over opaque JPEG pixels. The colours are stored
// premultiplied already; one above its alpha (a careless encoder) is clamped to it. A plane
// of the wrong size is ignored and the picture stays opaque.
void ApplyAlphaPlane(std::span<const std::uint8_t> plane, DecodedBitmap& bitmap) {
    std::vector<std::uint8_t> alpha;
    const std::size_t count = static_cast<std::size_t>(bitmap.width) * bitmap.height;
    if (plane.empty() || !Inflate(plane, count, alpha)) return;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = bitmap.pixels.data() + i * 4;
        const std::uint8_t a = alpha[i];
        p[0] = std::min(p[0], a);
        p[1] = std::min(p[1], a);
        p[2] = std::min(p[2], a);
        p[3] = a;
        if (a != 255) bitmap.opaque = false;
    }
}

std::optional<DecodedBitmap> DecodeEmbedded(const BitmapCharacter& b,
                                            std::span<const std::uint8_t> tables,
                                            std::size_t maxBytes) {
    switch (KindOf(b.data)) {
        case ImageKind::Png:
            return DecodePngImage(b.data, maxBytes);
        case ImageKind::Gif:
            return DecodeGifImage(b.data, maxBytes);
        case ImageKind::Jpeg:
            break;
        default:
            return std::nullopt;
    }
    const std::vector<std::uint8_t> stream = CleanJpegStream(tables, b.data);
    std::optional<DecodedBitmap> bitmap = DecodeJpegImage(stream, maxBytes);
    if (bitmap) ApplyAlphaPlane(b.alpha, *bitmap);
    return bitmap;
}

}  // namespace

bool BitmapFits(std::int64_t width, std::int64_t height, std::size_t maxBytes) {
    return width >= 1 && height >= 1 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           static_cast<std::uint64_t>(width * height * 4) <= maxBytes;
}

void Premultiply(DecodedBitmap& bitmap) {
    bitmap.opaque = true;
    std::uint8_t* p = bitmap.pixels.data();
    for (std::size_t i = 0; i < bitmap.pixels.size(); i += 4) {
        const unsigned a = p[i + 3];
        if (a == 255) continue;
        bitmap.opaque = false;
        for (int c = 0; c < 3; ++c)
            p[i + c] = static_cast<std::uint8_t>((p[i + c] * a + 127) / 255);
    }
}

std::optional<DecodedBitmap> BitmapDecoder::decode(const BitmapCharacter& bitmap,
                                                   std::span<const std::uint8_t> jpegTables,
                                                   std::size_t maxBytes) {
    try {
        switch (bitmap.coding) {
            case BitmapCoding::Lossless:
                return DecodeLossless(bitmap, maxBytes);
            case BitmapCoding::JpegWithTables:
                return DecodeEmbedded(bitmap, jpegTables, maxBytes);
            default:
                return DecodeEmbedded(bitmap, {}, maxBytes);
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace saver::swf
