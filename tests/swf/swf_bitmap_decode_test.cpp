// Bitmap decoding: the lossless pixel formats with their row padding and colour tables, the
// image streams of the JPEG tags (shared tables, stray markers, alpha planes, PNG and GIF),
// and the caps that keep damaged or oversized images from costing memory.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "swf/format/SwfReader.h"
#include "swf/render/BitmapDecoder.h"
#include "swf/render/BitmapLibrary.h"
#include "swfwriter/PhotoMovie.h"
#include "swfwriter/SwfWriter.h"

namespace saver::swf {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kPlenty = std::size_t{64} << 20;

Bytes Zlib(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

BitmapCharacter Lossless(bool alpha, LosslessFormat format, std::uint16_t w, std::uint16_t h,
                         const Bytes& raw, std::uint16_t tableSize = 0) {
    BitmapCharacter b;
    b.coding = BitmapCoding::Lossless;
    b.hasAlpha = alpha;
    b.format = format;
    b.width = w;
    b.height = h;
    b.colorTableSize = tableSize;
    b.data = Zlib(raw);
    return b;
}

struct LosslessCase {
    const char* name;
    BitmapCharacter bitmap;
    Bytes bgra;  // expected premultiplied B, G, R, A
};

TEST(SwfBitmapDecode, LosslessFormats) {
    using F = LosslessFormat;
    const LosslessCase cases[] = {
        {"colour-mapped rows padded to 4 bytes, index past the table black",
         Lossless(false, F::ColorMapped8, 3, 2,
                  {255, 0, 0, 0, 0, 255,  // table: red, blue
                   0, 1, 7, 9,            // row 0 and its padding byte
                   1, 0, 0, 9},
                  2),
         {0,   0, 255, 255, 255, 0, 0,   255, 0, 0, 0,   255,  //
          255, 0, 0,   255, 0,   0, 255, 255, 0, 0, 255, 255}},
        {"colour-mapped with alpha: premultiplied entries, index past the table transparent",
         Lossless(true, F::ColorMapped8, 2, 1, {100, 0, 0, 128, 0, 3, 0, 0}, 1),
         {0, 0, 100, 128, 0, 0, 0, 0}},
        {"15-bit, big-endian, rows padded to 4 bytes",
         Lossless(false, F::Rgb15, 1, 2, {0x7C, 0x00, 9, 9, 0x03, 0xE0, 9, 9}),
         {0, 0, 255, 255, 0, 255, 0, 255}},
        {"32-bit without alpha: the first byte is ignored",
         Lossless(false, F::Rgb32, 1, 1, {17, 10, 20, 30}),
         {30, 20, 10, 255}},
        {"32-bit with alpha: premultiplied, a colour above its alpha clamped",
         Lossless(true, F::Rgb32, 2, 1, {128, 100, 50, 25, 64, 200, 10, 64}),
         {25, 50, 100, 128, 64, 10, 64, 64}},
    };
    for (const LosslessCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = BitmapDecoder::decode(c.bitmap, {}, kPlenty);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, c.bitmap.width);
        EXPECT_EQ(decoded->pixels, c.bgra);
        bool opaque = true;
        for (std::size_t i = 3; i < c.bgra.size(); i += 4) opaque &= c.bgra[i] == 255;
        EXPECT_EQ(decoded->opaque, opaque);
    }
}

TEST(SwfBitmapDecode, DamagedOrOversizedImagesDecodeToNothing) {
    using F = LosslessFormat;
    BitmapCharacter cut = Lossless(false, F::Rgb32, 4, 4, Bytes(60, 1));  // 4 bytes short
    BitmapCharacter notZlib = Lossless(false, F::Rgb32, 1, 1, {0, 1, 2, 3});
    notZlib.data = {1, 2, 3, 4, 5};
    BitmapCharacter huge = Lossless(false, F::Rgb32, 20000, 1, Bytes(4, 0));
    BitmapCharacter unknown = Lossless(false, static_cast<F>(7), 1, 1, Bytes(4, 0));
    BitmapCharacter bigForBudget = Lossless(false, F::Rgb32, 64, 64, Bytes(64 * 64 * 4, 0));
    BitmapCharacter garbage;
    garbage.data = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    BitmapCharacter cutJpeg;
    cutJpeg.data = swfwriter::EncodeJpeg(swfwriter::LandscapePicture(32, 32, false), 80, false);
    cutJpeg.data.resize(cutJpeg.data.size() / 2);
    const std::pair<const char*, const BitmapCharacter*> cases[] = {
        {"pixels cut short", &cut},
        {"not zlib data", &notZlib},
        {"side over the cap", &huge},
        {"unknown lossless format", &unknown},
        {"over the byte budget", &bigForBudget},
        {"no known signature", &garbage},
        {"JPEG cut in half", &cutJpeg},
    };
    for (const auto& [name, bitmap] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(BitmapDecoder::decode(*bitmap, {}, 64 * 64 * 4 - 1));
    }
}

// A PNG of two pixels: opaque red and half-transparent white.
Bytes TwoPixelPng() {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 1;
    image.format = PNG_FORMAT_RGBA;
    const std::uint8_t pixels[] = {255, 0, 0, 255, 255, 255, 255, 128};
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr);
    Bytes out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr);
    out.resize(size);
    return out;
}

// A GIF89a of two pixels on a 3x1 screen: colour 0 (green), then colour 1, which the graphic
// control block makes transparent; the third column lies outside the image.
Bytes TwoPixelGif() {
    return {'G',  'I',  'F',  '8',  '9', 'a', 3, 0, 1, 0, 0x80, 0, 0,  // screen, 2-entry table
            0,    255,  0,    9,    9,   9,                            // the table
            0x21, 0xF9, 4,    0x01, 0,   0,   1, 0,                    // transparent index 1
            0x2C, 0,    0,    0,    0,   2,   0, 1, 0, 0,              // image 2x1 at 0,0
            2,    2,    0x44, 0x0A, 0,                                 // LZW: clear, 0, 1, end
            0x3B};
}

TEST(SwfBitmapDecode, PngAndGifInJpegTags) {
    BitmapCharacter png;
    png.data = TwoPixelPng();
    const auto p = BitmapDecoder::decode(png, {}, kPlenty);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pixels, (Bytes{0, 0, 255, 255, 128, 128, 128, 128}));
    EXPECT_FALSE(p->opaque);

    BitmapCharacter gif;
    gif.data = TwoPixelGif();
    const auto g = BitmapDecoder::decode(gif, {}, kPlenty);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->width, 3);
    EXPECT_EQ(g->pixels, (Bytes{0, 255, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// The JPEG tags as the writer stores them, read back through the movie reader: DefineBits with
// the movie's JPEGTables, DefineBitsJPEG2 behind stray markers, DefineBitsJPEG3 with alpha.
TEST(SwfBitmapDecode, JpegTagsOfAMovie) {
    swfwriter::RgbaImage picture{8, 8, Bytes(8 * 8 * 4)};
    for (int i = 0; i < 64; ++i) {
        const std::uint8_t rgba[] = {200, 120, 40, static_cast<std::uint8_t>(i < 32 ? 255 : 64)};
        std::memcpy(&picture.rgba[i * 4], rgba, 4);
    }
    swfwriter::SwfWriter writer;
    const std::uint16_t bits = writer.DefineBits(picture, 95);
    const std::uint16_t jpeg2 = writer.DefineBitsJpeg2(picture, 95, true);
    const std::uint16_t jpeg3 = writer.DefineBitsJpeg3(picture, 95);
    EXPECT_THROW(writer.DefineBits(picture, 50), std::invalid_argument);  // shares the tables
    writer.Root().ShowFrame();
    const Movie movie = ReadMovie(writer.Build());
    ASSERT_FALSE(movie.jpegTables.empty());
    BitmapLibrary library(movie);

    struct Case {
        const char* name;
        std::uint16_t id;
        bool alpha;
    };
    for (const Case& c :
         {Case{"DefineBits", bits, false}, Case{"JPEG2 stray markers", jpeg2, false},
          Case{"JPEG3 alpha", jpeg3, true}}) {
        SCOPED_TRACE(c.name);
        const auto bitmap = library.find(c.id);
        ASSERT_TRUE(bitmap);
        ASSERT_EQ(bitmap->width, 8);
        EXPECT_EQ(bitmap->opaque, !c.alpha);
        const std::uint8_t* top = &bitmap->pixels[1 * 4];      // row 0: opaque
        const std::uint8_t* bottom = &bitmap->pixels[60 * 4];  // row 7: alpha 64 in JPEG3
        EXPECT_NEAR(top[2], 200, 8);
        EXPECT_NEAR(top[0], 40, 8);
        EXPECT_EQ(top[3], 255);
        EXPECT_EQ(bottom[3], c.alpha ? 64 : 255);
        EXPECT_NEAR(bottom[2], c.alpha ? 50 : 200, 8);  // stored premultiplied
    }
    EXPECT_EQ(library.bytesInUse(), 3u * 8 * 8 * 4);
}

// The least recently used bitmaps make room for new ones; a bitmap in use stays valid.
TEST(SwfBitmapDecode, LibraryKeepsWithinItsBudget) {
    Movie movie;
    for (std::uint16_t id = 1; id <= 3; ++id)
        movie.dictionary.emplace(
            id, Lossless(false, LosslessFormat::Rgb32, 16, 16, Bytes(16 * 16 * 4, id)));
    BitmapLibrary library(movie, 2 * 16 * 16 * 4);
    const auto first = library.find(1);
    library.find(2);
    library.find(1);  // 2 is now the oldest
    const auto third = library.find(3);
    ASSERT_TRUE(first && third);
    EXPECT_EQ(library.bytesInUse(), 2u * 16 * 16 * 4);
    EXPECT_EQ(first->pixels[0], 1);  // still held by this test, whatever the cache did
    EXPECT_TRUE(library.find(2));    // decoded again
    EXPECT_FALSE(library.find(9));   // no such character

    // Decoding ahead stops at half the budget: one bitmap here, the others wait for a draw.
    BitmapLibrary ahead(movie, 2 * 16 * 16 * 4);
    ahead.decodeAhead();
    EXPECT_EQ(ahead.bytesInUse(), 1u * 16 * 16 * 4);
}

}  // namespace
}  // namespace saver::swf
