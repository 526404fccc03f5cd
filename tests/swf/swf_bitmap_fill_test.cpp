// Bitmap fills: clipped and repeating, smoothed and not, the bitmap matrix (twips per pixel),
// colour transforms, quality, and fills whose bitmap is missing.
#include <gtest/gtest.h>

#include <zlib.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "swf/render/BitmapLibrary.h"
#include "swf/render/BitmapPaint.h"
#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

// A 2x2 bitmap: black, white / red, blue (DefineBitsLossless, 32-bit).
Movie TwoByTwo() {
    const std::vector<std::uint8_t> argb = {0, 0,   0, 0, 0, 255, 255, 255,  //
                                            0, 255, 0, 0, 0, 0,   0,   255};
    uLongf size = compressBound(static_cast<uLong>(argb.size()));
    BitmapCharacter b;
    b.coding = BitmapCoding::Lossless;
    b.format = LosslessFormat::Rgb32;
    b.width = b.height = 2;
    b.data.resize(size);
    compress(b.data.data(), &size, argb.data(), static_cast<uLong>(argb.size()));
    b.data.resize(size);
    Movie movie;
    movie.dictionary.emplace(1, std::move(b));
    return movie;
}

FillStyle BitmapFill(FillType type, double pixelsPerTexel, double x = 0, double y = 0,
                     std::uint16_t id = 1) {
    FillStyle f;
    f.type = type;
    f.bitmapId = id;
    f.matrix = {pixelsPerTexel * kTwips, 0, 0, pixelsPerTexel * kTwips, x * kTwips, y * kTwips};
    return f;
}

BgraImage Render(const BitmapLibrary& library, const FillStyle& fill, double x0, double y0,
                 double x1, double y1, Quality q = Quality::High, const ColorTransform& cx = {}) {
    Shape shape;
    shape.fills = {fill};
    shape.paths = {Box(x0, y0, x1, y1, 0, 1)};
    BgraImage img;
    img.resize(12, 12);
    Renderer r;
    RenderItem item{&shape, {}, cx, ClipRole::Draw, &library};
    r.render({&item, 1}, kWhite, kPixelStage, q, img);
    return img;
}

struct Probe {
    int x, y;
    Rgba expected;
};

struct FillCase {
    const char* name;
    FillStyle fill;
    double x0, y0, x1, y1;  // the filled box, pixels
    Quality quality;
    std::vector<Probe> probes;
};

const Rgba kGrey159{159, 159, 159, 255};

TEST(SwfBitmapFill, SamplingClippingAndRepeating) {
    const Movie movie = TwoByTwo();
    const BitmapLibrary library(movie);
    using T = FillType;
    const FillCase cases[] = {
        {"scale 1 on whole pixels: the bitmap pixel for pixel, smoothed or not",
         BitmapFill(T::ClippedBitmap, 1, 4, 4),
         4,
         4,
         6,
         6,
         Quality::High,
         {{4, 4, kBlack}, {5, 4, kWhite}, {4, 5, kRed}, {5, 5, kBlue}, {6, 6, kWhite}}},
        {"not smoothed at scale 4: blocks of four pixels",
         BitmapFill(T::NonSmoothedClippedBitmap, 4),
         0,
         0,
         8,
         8,
         Quality::High,
         {{0, 0, kBlack}, {3, 3, kBlack}, {4, 0, kWhite}, {3, 4, kRed}, {7, 7, kBlue}}},
        {"clipped: the edge pixels stretch outwards",
         BitmapFill(T::ClippedBitmap, 1, 2, 2),
         0,
         0,
         10,
         10,
         Quality::High,
         {{0, 0, kBlack}, {9, 0, kWhite}, {0, 9, kRed}, {9, 9, kBlue}}},
        {"repeating: the bitmap tiles the shape, also left of its origin",
         BitmapFill(T::NonSmoothedRepeatingBitmap, 1, 1, 1),
         0,
         0,
         10,
         10,
         Quality::High,
         {{1, 1, kBlack}, {3, 1, kBlack}, {0, 0, kBlue}, {9, 8, kRed}}},
        {"smoothed at scale 4: between texel centres the colours mix",
         BitmapFill(T::ClippedBitmap, 4),
         0,
         0,
         8,
         8,
         Quality::High,
         {{4, 0, kGrey159}, {1, 0, kBlack}, {6, 0, kWhite}}},
        {"low quality: a smoothed fill is sampled nearest",
         BitmapFill(T::ClippedBitmap, 4),
         0,
         0,
         8,
         8,
         Quality::Low,
         {{4, 0, kWhite}, {3, 0, kBlack}}},
        {"a bitmap that does not exist paints nothing",
         BitmapFill(T::ClippedBitmap, 1, 0, 0, 7),
         0,
         0,
         8,
         8,
         Quality::High,
         {{1, 1, kWhite}}},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(c.name);
        const BgraImage img = Render(library, c.fill, c.x0, c.y0, c.x1, c.y1, c.quality);
        for (const Probe& p : c.probes) {
            const Rgba got = PixelAt(img, p.x, p.y);
            EXPECT_NEAR(got.r, p.expected.r, 1) << p.x << "," << p.y;
            EXPECT_NEAR(got.g, p.expected.g, 1) << p.x << "," << p.y;
            EXPECT_NEAR(got.b, p.expected.b, 1) << p.x << "," << p.y;
        }
    }
}

// Smoothed sampling is bilinear between the texel centres with 8-bit fractions, rounded after
// each of its three mixes (along both rows, then between them), in every channel alike: inside
// the bitmap and at its clamped or wrapped edges; upright (rows mixed once and kept for the
// spans that start where theirs did) and turned, in spans starting anywhere.
TEST(SwfBitmapFill, SmoothSamplingMixesTheFourNearestTexels) {
    auto bitmap = std::make_shared<DecodedBitmap>();
    bitmap->width = 5;
    bitmap->height = 4;
    unsigned seed = 7;
    for (int k = 0; k < 20; ++k) {
        seed = seed * 1103515245u + 12345u;
        const std::uint8_t a = static_cast<std::uint8_t>(seed >> 24);
        for (int c = 0; c < 3; ++c)
            bitmap->pixels.push_back(static_cast<std::uint8_t>((seed >> (8 * c)) % (a + 1u)));
        bitmap->pixels.push_back(a);
    }
    auto fold = [](int i, int size, bool repeat) {
        return repeat ? ((i % size) + size) % size : std::clamp(i, 0, size - 1);
    };
    auto mix = [](int a, int b, int f) { return (a * (256 - f) + b * f + 128) >> 8; };
    struct Case {
        const char* name;
        Matrix toPixels;  // bitmap pixels to device pixels
    };
    // Steps that binary fractions hold exactly, so the formula below sees the same positions.
    const Case cases[] = {
        {"enlarged four times", {4, 0, 0, 4, -3, -2}},
        {"shrunk", {0.5, 0, 0, 0.25, -1, 0.5}},
        {"turned and skewed", {4, 2, -2, 1, 4, -6}},
    };
    for (const Case& c : cases) {
        for (const bool repeat : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (repeat ? ", repeating" : ", clipped"));
            BitmapPaint paint;
            ASSERT_TRUE(paint.prepare(bitmap, c.toPixels, repeat, true, {}));
            const Matrix& m = c.toPixels;
            const double det = m.a * m.d - m.b * m.c;
            std::vector<std::uint32_t> span(30);
            for (int y = 0; y < 20; ++y) {
                const int x0 = -4 + (y / 3) % 3, len = 30 - (y / 3) % 3;  // rows share starts
                paint.generate(span.data(), x0, y, static_cast<unsigned>(len));
                for (int i = 0; i < len; ++i) {
                    const double px = x0 + i + 0.5 - m.tx, py = y + 0.5 - m.ty;
                    const double u = (m.d * px - m.c * py) / det - 0.5;
                    const double v = (m.a * py - m.b * px) / det - 0.5;
                    const int iu = static_cast<int>(std::floor(u));
                    const int iv = static_cast<int>(std::floor(v));
                    const int fx = static_cast<int>((u - iu) * 256);
                    const int fy = static_cast<int>((v - iv) * 256);
                    auto texel = [&](int du, int dv, int ch) {
                        const int tx = fold(iu + du, 5, repeat), ty = fold(iv + dv, 4, repeat);
                        return int(bitmap->pixels[(ty * 5 + tx) * 4 + ch]);
                    };
                    std::array<int, 4> want, got;
                    for (int ch = 0; ch < 4; ++ch) {
                        want[ch] = mix(mix(texel(0, 0, ch), texel(1, 0, ch), fx),
                                       mix(texel(0, 1, ch), texel(1, 1, ch), fx), fy);
                        got[ch] = int(span[i] >> (8 * ch) & 0xFF);
                    }
                    EXPECT_EQ(got, want) << "pixel " << i << ", row " << y;
                }
            }
        }
    }
}

// The colour transform applies to every texel; its alpha lets the background through.
TEST(SwfBitmapFill, ColorTransform) {
    const Movie movie = TwoByTwo();
    const BitmapLibrary library(movie);
    ColorTransform cx;
    cx.mulR = 0;
    cx.addG = 255;
    cx.mulA = 0.5;
    const BgraImage img = Render(library, BitmapFill(FillType::ClippedBitmap, 1, 4, 4), 4, 4, 6, 6,
                                 Quality::High, cx);
    // white -> (0, 255, 255) at half alpha over white; blue -> (0, 255, 255) too.
    EXPECT_EQ(PixelAt(img, 5, 4), (Rgba{128, 255, 255, 255}));
    // black -> (0, 255, 0) at half alpha over white.
    EXPECT_EQ(PixelAt(img, 4, 4), (Rgba{128, 255, 128, 255}));
}

}  // namespace
}  // namespace saver::swf
