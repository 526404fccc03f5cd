// DecodeJpeg against pictures encoded here with libjpeg: colour spaces, progressive coding,
// and damaged or oversized files that must fail without aborting.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "picture/JpegDecoder.h"

namespace saver {
namespace {

struct Rgb {
    int r, g, b;
};

// The test picture: four flat quadrants (red, green, blue, white) so that lossy coding keeps
// every pixel close to its colour away from the edges.
Rgb quadrantColour(int x, int y, int width, int height) {
    const bool right = x >= width / 2, bottom = y >= height / 2;
    if (!right && !bottom) return {255, 0, 0};
    if (right && !bottom) return {0, 255, 0};
    if (!right) return {0, 0, 255};
    return {255, 255, 255};
}

struct EncodeOptions {
    int width = 32;
    int height = 24;
    J_COLOR_SPACE input = JCS_RGB;  // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
    bool progressive = false;
    J_COLOR_SPACE stored = JCS_UNKNOWN;  // colour space in the file; JCS_UNKNOWN: libjpeg's choice
    bool adobeMarker = true;             // CMYK only: without it the values are ink amounts
};

std::vector<std::uint8_t> encode(const EncodeOptions& o) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = o.width;
    c.image_height = o.height;
    c.input_components = o.input == JCS_GRAYSCALE ? 1 : (o.input == JCS_CMYK ? 4 : 3);
    c.in_color_space = o.input;
    jpeg_set_defaults(&c);
    if (o.stored != JCS_UNKNOWN) jpeg_set_colorspace(&c, o.stored);
    if (o.input == JCS_CMYK) c.write_Adobe_marker = o.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&c, 95, TRUE);
    if (o.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(o.width) * c.input_components);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < o.width; ++x) {
            const Rgb p = quadrantColour(x, y, o.width, o.height);
            unsigned char* px = &row[static_cast<std::size_t>(x) * c.input_components];
            if (o.input == JCS_GRAYSCALE) {
                px[0] = static_cast<unsigned char>((p.r + p.g + p.b) / 3);
            } else if (o.input == JCS_CMYK && o.adobeMarker) {
                // With an APP14 marker the values are stored inverted: 255 means no ink.
                px[0] = p.r, px[1] = p.g, px[2] = p.b, px[3] = 255;
            } else if (o.input == JCS_CMYK) {
                px[0] = 255 - p.r, px[1] = 255 - p.g, px[2] = 255 - p.b, px[3] = 0;
            } else {
                px[0] = p.r, px[1] = p.g, px[2] = p.b;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> file(out, out + outSize);
    jpeg_destroy_compress(&c);
    std::free(out);
    return file;
}

TEST(JpegDecoder, DecodesEncodedPictures) {
    struct Case {
        const char* name;
        EncodeOptions options;
        bool grey;
    };
    const Case cases[] = {
        {"rgb baseline", {32, 24, JCS_RGB, false}, false},
        {"rgb progressive", {32, 24, JCS_RGB, true}, false},
        {"odd size", {17, 9, JCS_RGB, false}, false},
        {"grayscale", {32, 24, JCS_GRAYSCALE, false}, true},
        {"grayscale progressive", {16, 16, JCS_GRAYSCALE, true}, true},
        {"app14 cmyk", {32, 24, JCS_CMYK, false}, false},
        {"app14 ycck", {32, 24, JCS_CMYK, false, JCS_YCCK}, false},
        {"plain cmyk", {32, 24, JCS_CMYK, false, JCS_CMYK, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto picture = DecodeJpeg(encode(c.options));
        ASSERT_TRUE(picture.has_value());
        ASSERT_EQ(picture->width, c.options.width);
        ASSERT_EQ(picture->height, c.options.height);
        ASSERT_EQ(picture->pixels.size(), std::size_t(c.options.width) * c.options.height * 4);
        // Compare the centre of each quadrant, away from the edges where coding rings.
        for (int qy = 0; qy < 2; ++qy) {
            for (int qx = 0; qx < 2; ++qx) {
                const int x = c.options.width * (2 * qx + 1) / 4;
                const int y = c.options.height * (2 * qy + 1) / 4;
                Rgb want = quadrantColour(x, y, c.options.width, c.options.height);
                if (c.grey) want.r = want.g = want.b = (want.r + want.g + want.b) / 3;
                const std::uint8_t* px =
                    &picture->pixels[(std::size_t(y) * c.options.width + x) * 4];
                SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
                EXPECT_NEAR(px[0], want.b, 8);
                EXPECT_NEAR(px[1], want.g, 8);
                EXPECT_NEAR(px[2], want.r, 8);
                EXPECT_EQ(px[3], 255);
            }
        }
    }
}

// Offset of the frame header's height field (after FFCx, length and precision).
std::size_t frameSizeOffset(const std::vector<std::uint8_t>& file) {
    for (std::size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) return i + 5;
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

std::vector<std::uint8_t> withSize(std::vector<std::uint8_t> file, int width, int height) {
    const std::size_t at = frameSizeOffset(file);
    file[at] = static_cast<std::uint8_t>(height >> 8);
    file[at + 1] = static_cast<std::uint8_t>(height);
    file[at + 2] = static_cast<std::uint8_t>(width >> 8);
    file[at + 3] = static_cast<std::uint8_t>(width);
    return file;
}

std::vector<std::uint8_t> truncated(std::vector<std::uint8_t> file, std::size_t keep) {
    file.resize(keep);
    return file;
}

TEST(JpegDecoder, RejectsDamagedAndOversizedFiles) {
    const std::vector<std::uint8_t> baseline = encode({64, 64, JCS_RGB, false});
    const std::vector<std::uint8_t> progressive = encode({64, 64, JCS_RGB, true});
    const std::size_t sof = frameSizeOffset(baseline);
    std::vector<std::uint8_t> garbledEntropy = baseline;
    for (std::size_t i = garbledEntropy.size() / 2; i + 2 < garbledEntropy.size(); ++i) {
        garbledEntropy[i] = 0xFF;  // Runs of FF are never valid entropy-coded data.
    }
    std::vector<std::uint8_t> noSoi = baseline;
    noSoi[1] = 0x00;
    const std::string text = "not a picture at all";

    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"text", std::vector<std::uint8_t>(text.begin(), text.end())},
        {"start marker only", {0xFF, 0xD8}},
        {"no start marker", noSoi},
        {"cut inside the frame header", truncated(baseline, sof + 2)},
        {"cut after the headers", truncated(baseline, baseline.size() / 4)},
        {"cut in the middle", truncated(baseline, baseline.size() / 2)},
        {"progressive cut in the middle", truncated(progressive, progressive.size() / 2)},
        {"garbled entropy data", garbledEntropy},
        {"zero width", withSize(baseline, 0, 64)},
        {"zero height", withSize(baseline, 64, 0)},
        {"side over the cap", withSize(baseline, kMaxPictureSide + 1, 8)},
        {"area over the cap", withSize(baseline, 8193, 8193)},
        {"widest allowed side, data missing", withSize(baseline, kMaxPictureSide, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(DecodeJpeg(c.file).has_value());
    }
}

}  // namespace
}  // namespace saver
