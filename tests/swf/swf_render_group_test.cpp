// Groups: offscreen layers with their blend modes, colour transforms and filters, and the box
// blur beneath the filters.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "swf/render/BoxBlur.h"
#include "swf/render/ColorFilterSpans.h"
#include "swf/render/FilterSpans.h"
#include "swf/render/LayerBlend.h"
#include "swf/render/SpanBlend.h"
#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

RenderItem Begin(std::uint8_t mode, const ColorTransform& cx = {},
                 const std::vector<Filter>* filters = nullptr) {
    RenderItem item{nullptr, {}, cx, ClipRole::BeginGroup};
    item.blendMode = mode;
    item.filters = filters;
    return item;
}

const RenderItem kEnd{nullptr, {}, {}, ClipRole::EndGroup};

RenderItem Draw(const Shape& shape, const ColorTransform& cx = {}) {
    return {&shape, {}, cx, ClipRole::Draw};
}

BgraImage Render(const std::vector<RenderItem>& items, Rgba background, int w = 20, int h = 20) {
    BgraImage img;
    img.resize(w, h);
    Renderer r;
    r.render(items, background, kPixelStage, Quality::High, img);
    return img;
}

void ExpectNear(Rgba got, Rgba want, int tolerance = 1) {
    EXPECT_LE(std::abs(got.r - want.r), tolerance) << int(got.r) << " vs " << int(want.r);
    EXPECT_LE(std::abs(got.g - want.g), tolerance) << int(got.g) << " vs " << int(want.g);
    EXPECT_LE(std::abs(got.b - want.b), tolerance) << int(got.b) << " vs " << int(want.b);
}

struct BlendCase {
    const char* name;
    std::uint8_t mode;
    Rgba expected;
};

// One colour drawn over another in each mode (the formulas of the separable blend modes).
TEST(SwfRenderGroup, BlendModesMixWithThePictureBelow) {
    const Rgba below{100, 150, 200, 255}, drawn{200, 100, 50, 255};
    const BlendCase cases[] = {
        {"normal", 1, drawn},
        {"layer", 2, drawn},
        {"multiply", 3, {78, 59, 39, 255}},
        {"screen", 4, {222, 191, 211, 255}},
        {"lighten", 5, {200, 150, 200, 255}},
        {"darken", 6, {100, 100, 50, 255}},
        {"difference", 7, {100, 50, 150, 255}},
        {"add", 8, {255, 250, 250, 255}},
        {"subtract", 9, {0, 50, 150, 255}},
        {"invert", 10, {155, 105, 55, 255}},
        {"alpha with no layer below shows nothing", 11, below},
        {"erase with no layer below shows nothing", 12, below},
        {"overlay", 13, {157, 127, 167, 255}},
        {"hardlight", 14, {188, 118, 78, 255}},
        {"unknown mode", 99, drawn},
    };
    const Shape square = Square(5, 5, 15, 15, drawn);
    for (const BlendCase& c : cases) {
        SCOPED_TRACE(c.name);
        const BgraImage img = Render({Begin(c.mode), Draw(square), kEnd}, below);
        ExpectNear(PixelAt(img, 10, 10), c.expected);
        EXPECT_EQ(PixelAt(img, 2, 2), below);
    }
}

// A translucent group is made transparent as a whole: where its shapes overlap, the picture
// shows the same as where one shape lies alone. Erase cuts through the group's own layer.
TEST(SwfRenderGroup, LayerTakesTransparencyAsAWhole) {
    const ColorTransform half{1, 1, 1, 0.5, 0, 0, 0, 0};
    const Shape left = Square(2, 2, 12, 18, kRed), right = Square(8, 2, 18, 18, kRed);
    const Shape hole = Square(14, 2, 18, 18, kBlack);
    const BgraImage flat = Render({Draw(left, half), Draw(right, half)}, kWhite);
    EXPECT_LT(PixelAt(flat, 10, 10).g, PixelAt(flat, 4, 10).g - 30);  // each on its own

    const BgraImage layered = Render(
        {Begin(2, half), Draw(left), Draw(right), Begin(12), Draw(hole), kEnd, kEnd}, kWhite);
    ExpectNear(PixelAt(layered, 10, 10), PixelAt(layered, 4, 10));
    ExpectNear(PixelAt(layered, 4, 10), {255, 127, 127, 255}, 2);
    EXPECT_EQ(PixelAt(layered, 16, 10), kWhite);  // erased

    // The layer's colour transform rounds to the nearest level, as a cached bitmap's does:
    // blue at 76/256 alpha over white leaves 179 of red (a shape's own transform gives 180).
    const ColorTransform faint{1, 1, 1, 76.0 / 256, 0, 0, 0, 0};
    const BgraImage cached =
        Render({Begin(2, faint), Draw(Square(2, 2, 18, 18, kBlue)), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(cached, 10, 10).r, 179);
}

// Filters work in the group's grown rectangle: a drop shadow lands at its distance and angle
// (from beyond the frame too), knockout leaves only the shadow, and a glow reaches beyond the
// shape.
TEST(SwfRenderGroup, FiltersDrawOutsideTheShape) {
    Filter shadow;
    shadow.kind = FilterKind::DropShadow;
    shadow.color = kBlack;
    shadow.distance = 6;  // angle 0: to the right
    Filter knockout = shadow;
    knockout.knockout = true;
    Filter glow;
    glow.kind = FilterKind::Glow;
    glow.color = kBlue;
    glow.blurX = glow.blurY = 5;
    glow.strength = 2;
    const std::vector<Filter> shadowList{shadow}, knockoutList{knockout}, glowList{glow};
    const Shape square = Square(4, 6, 10, 14, kRed);

    const BgraImage shadowed = Render({Begin(1, {}, &shadowList), Draw(square), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(shadowed, 7, 10), kRed);
    EXPECT_EQ(PixelAt(shadowed, 14, 10), kBlack);
    EXPECT_EQ(PixelAt(shadowed, 18, 10), kWhite);

    // A shape just left of the frame casts its shadow into it.
    const Shape outside = Square(-8, 6, -2, 14, kRed);
    const BgraImage fromOutside = Render({Begin(1, {}, &shadowList), Draw(outside), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(fromOutside, 1, 10), kBlack);
    EXPECT_EQ(PixelAt(fromOutside, 6, 10), kWhite);

    const BgraImage knocked = Render({Begin(1, {}, &knockoutList), Draw(square), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(knocked, 7, 10), kWhite);
    EXPECT_EQ(PixelAt(knocked, 14, 10), kBlack);

    const BgraImage glowing = Render({Begin(1, {}, &glowList), Draw(square), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(glowing, 7, 10), kRed);
    EXPECT_GT(255 - PixelAt(glowing, 11, 10).r, 60);  // blue glow just outside the edge
    EXPECT_EQ(PixelAt(glowing, 18, 10), kWhite);
}

// Groups nested deeper than the renderer keeps layers for still draw their shapes, and so do
// groups a list leaves open.
TEST(SwfRenderGroup, DeepAndUnclosedGroupsStillDraw) {
    const Shape square = Square(5, 5, 15, 15, kRed);
    std::vector<RenderItem> items(12, Begin(2));
    items.push_back(Draw(square));
    items.insert(items.end(), 12, kEnd);
    EXPECT_EQ(PixelAt(Render(items, kWhite), 10, 10), kRed);
    items.resize(items.size() - 5);
    EXPECT_EQ(PixelAt(Render(items, kWhite), 10, 10), kRed);
}

// Layers are reused from frame to frame and only what was drawn into them is blended and
// cleared: a second frame drawn by the same renderer equals one drawn afresh, and what a nested
// group blends into the layer around it is part of what that layer shows.
TEST(SwfRenderGroup, ReusedLayersHoldOnlyThisFramesDrawing) {
    const Shape left = Square(2, 2, 8, 18, kRed), right = Square(12, 2, 18, 18, kBlue);
    std::vector<Filter> blur(1);
    blur[0].kind = FilterKind::Blur;
    blur[0].blurX = blur[0].blurY = 2;
    blur[0].passes = 1;
    using Items = std::vector<RenderItem>;
    struct Case {
        const char* name;
        Items first, second;
    };
    const Case cases[] = {
        {"layer", {Begin(2), Draw(left), kEnd}, {Begin(2), Draw(right), kEnd}},
        {"nested",
         {Begin(2), Begin(3), Draw(left), kEnd, Draw(right), kEnd},
         {Begin(2), Begin(3), Draw(right), kEnd, kEnd}},
        {"filtered inside a layer",
         {Begin(2), Begin(1, {}, &blur), Draw(left), kEnd, kEnd},
         {Begin(2), Draw(right), kEnd}},
        {"left open", {Begin(2), Begin(14), Draw(left)}, {Begin(2), Begin(14), Draw(right)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BgraImage reused;
        reused.resize(20, 20);
        Renderer r;
        r.render(c.first, kWhite, kPixelStage, Quality::High, reused);
        EXPECT_NE(PixelAt(reused, 5, 10), kWhite);  // the first frame's drawing shows
        r.render(c.second, kWhite, kPixelStage, Quality::High, reused);
        EXPECT_EQ(reused.pixels, Render(c.second, kWhite).pixels);
        EXPECT_EQ(PixelAt(reused, 5, 10), kWhite);
        EXPECT_EQ(PixelAt(reused, 15, 10), kBlue);
    }
}

// An opaque background fills the group's bounds beneath its content, however transparent the
// content is; like a cached bitmap, the bounds start on a whole pixel (the content moves along).
TEST(SwfRenderGroup, OpaqueBackgroundFillsTheBounds) {
    Shape ring = Square(6, 6, 14, 14, kRed);
    ring.bounds = {static_cast<std::int32_t>(4.4 * kTwips), 16 * kTwips,
                   static_cast<std::int32_t>(4.6 * kTwips), 16 * kTwips};
    RenderItem begin = Begin(1);
    const Rgba green{0, 255, 0, 255};
    begin.background = Rgba{0, 255, 0, 7};
    const BgraImage img = Render({begin, Draw(ring, {1, 1, 1, 0.5, 0, 0, 0, 0}), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(img, 4, 10), green);   // the left edge 4.4 moves to 4
    EXPECT_EQ(PixelAt(img, 10, 4), kWhite);  // the top edge 4.6 moves to 5
    EXPECT_EQ(PixelAt(img, 15, 15), green);
    EXPECT_EQ(PixelAt(img, 16, 10), kWhite);
    ExpectNear(PixelAt(img, 10, 10), {128, 128, 0, 255});  // half red over the green
}

// A cached group is a bitmap on whole pixels: a square from 4.5 to 10.5 moves half a pixel
// right (High quality would otherwise leave half-covered columns at both edges). A cached group
// holding a filtered one keeps the whole of that one's shadow, beyond its own shapes.
TEST(SwfRenderGroup, CachedGroupsSnapAndHoldTheirChildrensFilters) {
    const Shape square = Square(4.5, 6, 10.5, 14, kRed);
    RenderItem cached = Begin(1);
    cached.cached = true;
    const BgraImage snapped = Render({cached, Draw(square), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(snapped, 4, 10), kWhite);
    EXPECT_EQ(PixelAt(snapped, 5, 10), kRed);
    EXPECT_EQ(PixelAt(snapped, 10, 10), kRed);
    EXPECT_EQ(PixelAt(snapped, 11, 10), kWhite);

    Filter shadow;
    shadow.kind = FilterKind::DropShadow;
    shadow.color = kBlack;
    shadow.distance = 6;
    const std::vector<Filter> shadowList{shadow};
    const Shape inner = Square(4, 6, 10, 14, kRed);
    const BgraImage nested =
        Render({cached, Begin(1, {}, &shadowList), Draw(inner), kEnd, kEnd}, kWhite);
    EXPECT_EQ(PixelAt(nested, 14, 10), kBlack);
}

// Colour matrix and convolution work on unpremultiplied colour; a convolution reads outside
// the picture as its colour unless it clamps.
TEST(SwfRenderGroup, MatrixFilters) {
    Filter swap;
    swap.kind = FilterKind::ColorMatrix;
    swap.colorMatrix = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    Filter darken;  // 3x1 averaging kernel over an opaque black outside
    darken.kind = FilterKind::Convolution;
    darken.matrixX = 3;
    darken.matrixY = 1;
    darken.kernel = {1, 1, 1};
    darken.divisor = 3;
    darken.clamp = false;
    darken.color = kBlack;
    const std::vector<Filter> swapList{swap}, darkenList{darken};
    const Shape square = Square(0, 0, 20, 20, kRed);
    const BgraImage swapped = Render({Begin(1, {}, &swapList), Draw(square), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(swapped, 10, 10), kBlue);
    const BgraImage blurred = Render({Begin(1, {}, &darkenList), Draw(square), kEnd}, kWhite);
    EXPECT_EQ(PixelAt(blurred, 10, 10), kRed);
    ExpectNear(PixelAt(blurred, 0, 10), {170, 0, 0, 255});  // one black neighbour of three
}

struct BlurCase {
    const char* name;
    double size;
    int passes;
    std::vector<int> expected;  // around a single full pixel at x = 4
};

// The box weights: whole pixels weigh 1, the ends the fraction of the size left over; results
// round down; several passes widen the spread.
TEST(SwfRenderGroup, BoxBlurWeights) {
    const BlurCase cases[] = {
        {"size 1 is no blur", 1, 1, {0, 0, 0, 255, 0, 0, 0}},
        {"size 3", 3, 1, {0, 0, 85, 85, 85, 0, 0}},
        {"size 2: half-weight ends", 2, 1, {0, 0, 63, 127, 63, 0, 0}},
        {"size 3, two passes", 3, 2, {0, 28, 56, 85, 56, 28, 0}},
    };
    BoxBlur blur;
    for (const BlurCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> row(9, 0);
        row[4] = 255;
        blur.blur(row.data(), 9, 1, 1, c.size, 1, c.passes);
        EXPECT_EQ(std::vector<int>(row.begin() + 1, row.begin() + 8), c.expected);
    }
}

// A premultiplied picture of pseudo-random pixels (some clear, some opaque, most between).
BgraImage Noise(int w, int h, unsigned seed) {
    BgraImage image;
    image.resize(w, h);
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        seed = seed * 1103515245u + 12345u;
        const unsigned kind = (seed >> 16) % 4;
        const int a = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<int>((seed >> 8) & 255);
        for (int c = 0; c < 3; ++c) {
            seed = seed * 1103515245u + 12345u;
            image.pixels[i + c] = static_cast<std::uint8_t>(a ? (seed >> 16) % (a + 1) : 0);
        }
        image.pixels[i + 3] = static_cast<std::uint8_t>(a);
    }
    return image;
}

// Noise with clear bands (rows, and runs of eight pixels), as filtered pictures have around
// the object: the fast paths skip such stretches.
BgraImage SparseNoise(int w, int h, unsigned seed) {
    BgraImage image = Noise(w, h, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (y < 3 || y % 7 == 6 || x % 16 < 8)
                std::fill_n(&image.pixels[(static_cast<std::size_t>(y) * w + x) * 4], 4, 0);
    return image;
}

// The box blur by its definition: whole pixels within m of the centre weigh 1, the two at
// m + 1 the fraction `frac` / 256, the weighted sum divided exactly and rounded down, pixels
// beyond the edge clear; rows first, then columns, each pass. (Exact division and the blur's
// reciprocal agree while the box has at most 13 whole pixels.)
std::vector<std::uint8_t> DefinedBlur(std::vector<std::uint8_t> plane, int w, int h, double size,
                                      int passes) {
    const double radius = (size - 1) / 2;
    const int m = static_cast<int>(std::ceil(radius)) - 1;
    const auto frac =
        static_cast<std::uint32_t>(std::clamp(std::floor((radius - m) * 256), 1.0, 256.0));
    const std::uint32_t weight = (2 * m + 1) * 256 + 2 * frac;
    auto pass = [&](int count, int length, auto at) {
        for (int line = 0; line < count; ++line) {
            std::vector<std::uint32_t> in(length);
            for (int i = 0; i < length; ++i) in[i] = *at(line, i);
            auto pixel = [&](int i) { return i >= 0 && i < length ? in[i] : 0u; };
            for (int i = 0; i < length; ++i) {
                std::uint32_t total = (pixel(i - m - 1) + pixel(i + m + 1)) * frac;
                for (int k = -m; k <= m; ++k) total += pixel(i + k) * 256;
                *at(line, i) = static_cast<std::uint8_t>(total / weight);
            }
        }
    };
    for (int p = 0; p < passes; ++p) {
        pass(h, w, [&](int y, int x) { return &plane[static_cast<std::size_t>(y) * w + x]; });
        pass(w, h, [&](int x, int y) { return &plane[static_cast<std::size_t>(y) * w + x]; });
    }
    return plane;
}

struct BlurPathCase {
    int width, height;
    double size;
    int passes;
};

// The blur's vector paths (four rows or channels in lanes, 32 or 16 columns a step, clear rows
// and blocks skipped, the originals of the rows above kept in a ring) against the definition,
// on noisy and on sparse pictures, boxes larger than the picture included.
TEST(SwfRenderGroup, BoxBlurPathsMatchTheDefinition) {
    const BlurPathCase cases[] = {
        {23, 17, 2, 1}, {23, 17, 3.5, 3}, {23, 17, 9.25, 2}, {37, 21, 14, 3},
        {19, 5, 14, 2}, {53, 9, 5, 2},  // columns thirty-two, sixteen and one at a time
    };
    BoxBlur blur;
    for (const BlurPathCase& c : cases) {
        for (const bool sparse : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " size " << c.size
                                            << " passes " << c.passes << " sparse " << sparse);
            const BgraImage picture =
                sparse ? SparseNoise(c.width, c.height, 5) : Noise(c.width, c.height, 5);
            std::vector<std::uint8_t> plane(static_cast<std::size_t>(c.width) * c.height);
            for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = picture.pixels[i * 4 + 3];
            const std::vector<std::uint8_t> expected =
                DefinedBlur(plane, c.width, c.height, c.size, c.passes);
            blur.blur(plane.data(), c.width, c.height, 1, c.size, c.size, c.passes);
            EXPECT_EQ(plane, expected);
        }
    }
}

// The blur, the layer blends and the span blends each have a fast path for the common case
// (four pixels or channels at once, no mask); it must give the very numbers of the general one.
TEST(SwfRenderGroup, FastPathsMatchTheGeneralOnes) {
    const int w = 23, h = 17;  // not a multiple of four
    const BgraImage layer = Noise(w, h, 7);
    const BgraImage below = Noise(w, h, 99);
    const std::vector<std::uint8_t> fullCover(static_cast<std::size_t>(w) * h, 255);
    for (std::uint8_t mode = kBlendNormal; mode <= kBlendHardLight; ++mode) {
        SCOPED_TRACE(int(mode));
        BgraImage fast = below, general = below;
        BlendLayer({&layer, 0, 0, w, h}, 0, 0, mode, {}, nullptr, fast);
        BlendLayer({&layer, 0, 0, w, h}, 0, 0, mode, {}, fullCover.data(), general);
        EXPECT_EQ(fast.pixels, general.pixels);
    }

    // Span colours blended and mixed whole pixels at a time, as BlendPixel and agg's add do
    // one channel at a time.
    std::vector<std::uint32_t> colors;
    std::vector<agg::rgba8> rgba;
    std::vector<std::uint8_t> covers;
    for (std::size_t i = 0; i < layer.pixels.size(); i += 4) {
        const std::uint8_t* q = &layer.pixels[i];
        colors.push_back(q[0] | q[1] << 8 | q[2] << 16 | std::uint32_t{q[3]} << 24);
        rgba.emplace_back(q[2], q[1], q[0], q[3]);
        covers.push_back(below.pixels[i + 1]);  // any coverage, 0 and 255 included
    }
    BgraImage spans = below, pixels = below;
    BlendBgra(spans.pixels.data(), colors.data(), covers.data(), w * h);
    for (int i = 0; i < w * h; ++i)
        if (covers[i] != 0) BlendPixel(pixels.pixels.data() + i * 4, rgba[i], covers[i]);
    EXPECT_EQ(spans.pixels, pixels.pixels);
    std::vector<std::uint32_t> mixed(colors.size());
    std::vector<agg::rgba8> expected(colors.size(), agg::rgba8(0, 0, 0, 0));
    std::vector<std::uint8_t> used(colors.size()), budget(colors.size());
    for (int pass = 0; pass < 3; ++pass) {  // the second and third pass meet used covers
        AddCovered(mixed.data(), used.data(), colors.data(), covers.data(), w * h);
        for (int i = 0; i < w * h; ++i) {
            const unsigned cover = std::min<unsigned>(covers[i], 255u - budget[i]);
            if (cover == 0) continue;
            expected[i].add(rgba[i], cover);
            budget[i] = static_cast<std::uint8_t>(budget[i] + cover);
        }
    }
    for (int i = 0; i < w * h; ++i) {
        const agg::rgba8& e = expected[i];
        ASSERT_EQ(mixed[i], e.b | e.g << 8 | e.r << 16 | std::uint32_t{e.a} << 24) << i;
    }

    // The shadow and bevel steps, four pixels at a time and one by one, under every rule.
    std::vector<std::uint8_t> levels(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = (i % 5 == 0) ? 0 : below.pixels[i * 4 + 2];  // runs of clear levels too
    std::vector<std::uint32_t> lights(511);
    for (std::size_t i = 0; i < lights.size(); ++i) lights[i] = colors[i % colors.size()];
    for (int bits = 0; bits < 8; ++bits) {
        SCOPED_TRACE(bits);
        const bool a = bits & 1, b = bits & 2, c = bits & 4;
        std::vector<std::uint32_t> table(colors.begin(), colors.begin() + 256);
        table[0] = 0;  // the level of no shadow clear, as an outer shadow has it
        BgraImage fourAtATime = layer, oneByOne = layer;
        ShadowSpan({a, b, c}, table.data(), levels.data(), fourAtATime.pixels.data(), w * h);
        for (int i = 0; i < w * h; ++i)
            ShadowSpan({a, b, c}, table.data(), &levels[i], &oneByOne.pixels[i * 4], 1);
        EXPECT_EQ(fourAtATime.pixels, oneByOne.pixels);
        fourAtATime = oneByOne = layer;
        const std::uint8_t* away = levels.data() + 1;
        BevelSpan({a, b, c}, lights.data(), levels.data(), away, fourAtATime.pixels.data(),
                  w * h - 1);
        for (int i = 0; i + 1 < w * h; ++i)
            BevelSpan({a, b, c}, lights.data(), &levels[i], away + i, &oneByOne.pixels[i * 4], 1);
        EXPECT_EQ(fourAtATime.pixels, oneByOne.pixels);
        // Flat (both reads alike) with no light there, over clear runs: skipped four at a time.
        std::vector<std::uint32_t> unlit = lights;
        unlit[255] = 0;
        fourAtATime = oneByOne = SparseNoise(w, h, 11);
        BevelSpan({a, b, c}, unlit.data(), levels.data(), levels.data(), fourAtATime.pixels.data(),
                  w * h);
        for (int i = 0; i < w * h; ++i)
            BevelSpan({a, b, c}, unlit.data(), &levels[i], &levels[i], &oneByOne.pixels[i * 4], 1);
        EXPECT_EQ(fourAtATime.pixels, oneByOne.pixels);
    }

    // Four channels blurred together equal each channel blurred alone; columns equal rows of
    // the turned picture.
    BoxBlur blur;
    for (const double size : {2.0, 3.5, 9.25}) {
        SCOPED_TRACE(size);
        BgraImage all = layer;
        blur.blur(all.pixels.data(), w, h, 4, size, size, 2);
        for (int c = 0; c < 4; ++c) {
            std::vector<std::uint8_t> plane(static_cast<std::size_t>(w) * h);
            for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = layer.pixels[i * 4 + c];
            blur.blur(plane.data(), w, h, 1, size, size, 2);
            for (std::size_t i = 0; i < plane.size(); ++i)
                ASSERT_EQ(plane[i], all.pixels[i * 4 + c]) << "channel " << c << " pixel " << i;
            // The same plane with a gap after each row: blurred alike, the gaps left alone.
            const std::size_t stride = static_cast<std::size_t>(w) + 5;
            std::vector<std::uint8_t> spaced(stride * h, 77);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    spaced[y * stride + x] = layer.pixels[(y * w + x) * 4 + c];
            blur.blur(spaced.data(), w, h, 1, size, size, 2, stride);
            for (int y = 0; y < h; ++y)
                for (std::size_t x = 0; x < stride; ++x)
                    ASSERT_EQ(spaced[y * stride + x], x < std::size_t(w) ? plane[y * w + x] : 77);
        }
        std::vector<std::uint8_t> plane(static_cast<std::size_t>(w) * h), turned(plane.size());
        for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = layer.pixels[i * 4 + 3];
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) turned[x * h + y] = plane[y * w + x];
        blur.blur(plane.data(), w, h, 1, 1, size, 1);
        blur.blur(turned.data(), h, w, 1, size, 1, 1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(plane[y * w + x], turned[x * h + y]);
    }
}

// The colour matrix four pixels at a time gives the levels of the pixel-by-pixel one, and the
// convolution's sums (four channels in one register) those of the plain loop.
TEST(SwfRenderGroup, ColourFilterStepsMatchTheGeneralOnes) {
    const int w = 23, h = 5;  // not a multiple of four
    const BgraImage noise = Noise(w, h, 3);
    const std::size_t n = static_cast<std::size_t>(w) * h;
    const std::array<float, 20> identity{1, 0, 0, 0, 0, 0, 1, 0, 0, 0,
                                         0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    const std::array<float, 20> grey{0.3f, 0.59f, 0.11f, 0, 0, 0.3f, 0.59f, 0.11f, 0, 0,
                                     0.3f, 0.59f, 0.11f, 0, 0, 0,    0,     0,     1, 0};
    const std::array<float, 20> wild{-1.5f, 2.25f, 0.7f, 0.1f, 40, 0.2f, -0.4f, 1.9f, 0,    -30,
                                     3,     0.5f,  -2,   0.3f, 7,  0.1f, 0.2f,  0.3f, 0.6f, 90};
    // A matrix from a file need not be finite: its levels that are not numbers come out 0.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::array<float, 20> nonFinite{nan, 1, 0, 0, 0,   inf, -inf, 0, 0,   0,
                                          0,   0, 1, 0, nan, 0,   0,    0, inf, 0};
    const BgraImage sparse = SparseNoise(w, h, 3);  // clear runs: one result for them all
    for (const auto& m : {identity, grey, wild, nonFinite}) {
        for (const BgraImage* picture : {&noise, &sparse}) {
            BgraImage fourAtATime = *picture, oneByOne = *picture;
            ColorMatrixSpan(m, fourAtATime.pixels.data(), n);
            for (std::size_t i = 0; i < n; ++i) ColorMatrixSpan(m, &oneByOne.pixels[i * 4], 1);
            EXPECT_EQ(fourAtATime.pixels, oneByOne.pixels);
        }
    }

    const int kx = 3, ky = 2;
    const float kernel[kx * ky] = {0.5f, -1.25f, 2, 0.1f, 3.5f, -0.75f};
    std::vector<float> source(noise.pixels.begin(), noise.pixels.end());
    for (std::size_t i = 0; i < source.size(); ++i) source[i] *= 1.37f;  // not whole numbers
    const std::size_t stride = static_cast<std::size_t>(w) * 4;
    const std::size_t count = static_cast<std::size_t>(w - kx + 1);
    std::vector<float> sums(count * 4);
    ConvolveSpan(source.data(), stride, kernel, kx, ky, sums.data(), count);
    for (std::size_t x = 0; x < count; ++x)
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int j = 0; j < ky; ++j)
                for (int i = 0; i < kx; ++i)
                    sum += kernel[j * kx + i] * source[j * stride + (x + i) * 4 + c];
            ASSERT_EQ(sums[x * 4 + c], sum) << x << " " << c;
        }
    // Sums back to pixels: scaled, biased, clamped (not a number to 0), premultiplied, for
    // both alpha rules.
    sums[1] = nan;
    sums[7] = nan;  // an alpha
    sums[8] = inf;
    sums[13] = -inf;
    for (const bool preserveAlpha : {false, true}) {
        std::vector<std::uint8_t> pixels(noise.pixels.begin(), noise.pixels.begin() + count * 4);
        std::vector<std::uint8_t> expected = pixels;
        const float scale = 1 / 3.3f;
        ConvolvedPixels(sums.data(), scale, 20, preserveAlpha, pixels.data(), count);
        for (std::size_t x = 0; x < count; ++x) {
            std::uint8_t* p = &expected[x * 4];
            auto level = [&](int c) {
                const float v = sums[x * 4 + c] * scale + 20;
                return v > 0 ? std::min(v, 255.f) : 0.f;
            };
            const float a = preserveAlpha ? p[3] : level(3);
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>(level(c) * a / 255.0f + 0.5f);
            p[3] = static_cast<std::uint8_t>(a + 0.5f);
        }
        EXPECT_EQ(pixels, expected);
    }
}

}  // namespace
}  // namespace saver::swf
