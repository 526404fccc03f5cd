// Fills: the two-sided edge model, holes, colour transforms, quality and the background.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

struct SquareCase {
    const char* name;
    std::uint32_t fill0, fill1;
    bool clockwise;
};

// One style on one side of the outline is enough, whichever side and direction it is.
TEST(SwfRenderFill, SquareFilledFromEitherSide) {
    const SquareCase cases[] = {
        {"fill1 clockwise", 0, 1, true},
        {"fill1 anticlockwise", 0, 1, false},
        {"fill0 clockwise", 1, 0, true},
        {"fill0 anticlockwise", 1, 0, false},
    };
    for (const SquareCase& c : cases) {
        SCOPED_TRACE(c.name);
        Shape shape;
        shape.fills = {Solid(kRed)};
        shape.paths = {Box(4, 4, 12, 12, c.fill0, c.fill1, c.clockwise)};
        const BgraImage img = RenderShape(shape, 16, 16);
        EXPECT_EQ(PixelAt(img, 4, 4), kRed);
        EXPECT_EQ(PixelAt(img, 11, 11), kRed);
        EXPECT_EQ(PixelAt(img, 3, 8), kWhite);
        EXPECT_EQ(PixelAt(img, 12, 8), kWhite);
        EXPECT_EQ(PixelAt(img, 8, 12), kWhite);
    }
}

// Two regions meeting on an edge through the middle of pixel column 10: that column is shared
// between red and blue without letting the green background through, and without
// over-painting.
TEST(SwfRenderFill, SharedEdgeHasNoSeam) {
    Shape shape;
    shape.fills = {Solid(kRed), Solid(kBlue)};
    // Red on the left, blue on the right; outlines clockwise on screen, the inside on the
    // right of the direction of travel (fill1), so the shared edge runs downwards with red in
    // fill1 and blue in fill0.
    shape.paths = {
        Polyline({Px(10.5, 2), Px(2, 2), Px(2, 8), Px(10.5, 8)}, 1, 0),
        Polyline({Px(10.5, 2), Px(10.5, 8)}, 2, 1),
        Polyline({Px(10.5, 8), Px(18, 8), Px(18, 2), Px(10.5, 2)}, 2, 0),
    };
    const BgraImage img = RenderShape(shape, 20, 10, Quality::High, Rgba{0, 255, 0, 255});
    for (int y = 2; y < 8; ++y) {
        const Rgba edge = PixelAt(img, 10, y);
        EXPECT_LE(edge.g, 1) << "y " << y;
        EXPECT_NEAR(edge.r + edge.b, 255, 2) << "y " << y;
        EXPECT_NEAR(edge.r, 128, 3) << "y " << y;
        EXPECT_EQ(PixelAt(img, 9, y), kRed);
        EXPECT_EQ(PixelAt(img, 11, y), kBlue);
    }
    EXPECT_EQ(PixelAt(img, 10, 1), (Rgba{0, 255, 0, 255}));
}

TEST(SwfRenderFill, SecondContourCutsAHole) {
    Shape shape;
    shape.fills = {Solid(kRed)};
    // The inner outline runs the other way, so the fill is again on its right: outside it.
    shape.paths = {Box(2, 2, 18, 18, 0, 1, true), Box(7, 7, 13, 13, 0, 1, false)};
    const BgraImage img = RenderShape(shape, 20, 20);
    EXPECT_EQ(PixelAt(img, 10, 10), kWhite);
    EXPECT_EQ(PixelAt(img, 7, 7), kWhite);
    EXPECT_EQ(PixelAt(img, 4, 10), kRed);
    EXPECT_EQ(PixelAt(img, 6, 6), kRed);
}

// Two overlapping outlines of one style: the overlap is empty by the even-odd rule, filled by
// the non-zero rule.
TEST(SwfRenderFill, WindingRuleDecidesOverlaps) {
    for (bool nonZero : {false, true}) {
        SCOPED_TRACE(nonZero ? "non-zero" : "even-odd");
        Shape shape;
        shape.nonZeroWinding = nonZero;
        shape.fills = {Solid(kRed)};
        shape.paths = {Box(2, 2, 12, 12, 0, 1), Box(7, 7, 17, 17, 0, 1)};
        const BgraImage img = RenderShape(shape, 20, 20);
        EXPECT_EQ(PixelAt(img, 9, 9), nonZero ? kRed : kWhite);
        EXPECT_EQ(PixelAt(img, 4, 4), kRed);
        EXPECT_EQ(PixelAt(img, 15, 15), kRed);
    }
}

TEST(SwfRenderFill, CurvedEdgesFollowTheCurve) {
    // A disc of radius 8 around (10, 10) from four quadratic curves; the control points sit
    // at the corners of the bounding square, so the curve runs inside it.
    Shape shape;
    shape.fills = {Solid(kBlack)};
    ShapePath p;
    p.fill1 = 1;
    p.start = Px(18, 10);
    p.edges = {{true, Px(18, 18), Px(10, 18)},
               {true, Px(2, 18), Px(2, 10)},
               {true, Px(2, 2), Px(10, 2)},
               {true, Px(18, 2), Px(18, 10)}};
    shape.paths = {p};
    const BgraImage img = RenderShape(shape, 20, 20);
    // The anchors' diamond (128) plus two thirds of each curve's control triangle (4 * 32).
    EXPECT_NEAR(Coverage(img), 128 + 4 * 32 * 2 / 3.0, 1.5);
    EXPECT_EQ(PixelAt(img, 10, 10), kBlack);
    EXPECT_EQ(PixelAt(img, 3, 3), kWhite);  // outside the curve, inside the control square
}

struct TransformCase {
    const char* name;
    ColorTransform cx;
    Rgba expected;  // red over white
};

TEST(SwfRenderFill, ColorTransformWithAlphaBlendsOverBackground) {
    const TransformCase cases[] = {
        {"identity", {}, kRed},
        {"half alpha", {1, 1, 1, 0.5, 0, 0, 0, 0}, Rgba{255, 128, 128, 255}},
        {"alpha added away", {1, 1, 1, 1, 0, 0, 0, -255}, kWhite},
        {"red to blue", {0, 1, 1, 1, 0, 0, 255, 0}, kBlue},
        {"quarter alpha, green added", {1, 1, 1, 0.25, 0, 255, 0, 0}, Rgba{255, 255, 191, 255}},
    };
    for (const TransformCase& c : cases) {
        SCOPED_TRACE(c.name);
        Shape shape;
        shape.fills = {Solid(kRed)};
        shape.paths = {Box(0, 0, 8, 8, 0, 1)};
        const BgraImage img = RenderShape(shape, 10, 10, Quality::High, kWhite, {}, c.cx);
        const Rgba got = PixelAt(img, 4, 4);
        EXPECT_NEAR(got.r, c.expected.r, 1);
        EXPECT_NEAR(got.g, c.expected.g, 1);
        EXPECT_NEAR(got.b, c.expected.b, 1);
        EXPECT_EQ(got.a, 255);
        EXPECT_EQ(PixelAt(img, 9, 9), kWhite);
    }
}

TEST(SwfRenderFill, MatrixPlacesTheShape) {
    Shape shape;
    shape.fills = {Solid(kRed)};
    shape.paths = {Box(0, 0, 2, 2, 0, 1)};
    // Scale 3, then move by (5, 6) pixels: the square covers 5..11 x 6..12.
    const Matrix m{3, 0, 0, 3, 5 * kTwips, 6 * kTwips};
    const BgraImage img = RenderShape(shape, 16, 16, Quality::High, kWhite, m);
    EXPECT_EQ(PixelAt(img, 5, 6), kRed);
    EXPECT_EQ(PixelAt(img, 10, 11), kRed);
    EXPECT_EQ(PixelAt(img, 4, 6), kWhite);
    EXPECT_EQ(PixelAt(img, 11, 6), kWhite);
    EXPECT_EQ(PixelAt(img, 5, 12), kWhite);
}

// A slanted edge: anti-aliased, its pixels take shades between the colours; aliased, each is
// one colour or the other.
TEST(SwfRenderFill, LowQualityPaintsOnlyPureColours) {
    Shape shape;
    shape.fills = {Solid(kBlack)};
    shape.paths = {Polyline({Px(1, 1), Px(30, 7), Px(4, 29), Px(1, 1)}, 0, 1)};
    for (Quality q : {Quality::Low, Quality::High}) {
        const BgraImage img = RenderShape(shape, 32, 32, q);
        int mixed = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const Rgba p = PixelAt(img, x, y);
                mixed += p != kWhite && p != kBlack;
            }
        if (q == Quality::Low)
            EXPECT_EQ(mixed, 0);
        else
            EXPECT_GT(mixed, 40);
        // Either way the painted area matches the triangle's (397 pixels).
        EXPECT_NEAR(Coverage(img), 397, q == Quality::Low ? 12 : 1);
    }
}

TEST(SwfRenderFill, BackgroundIsClearedOpaque) {
    BgraImage img;
    img.resize(3, 2);
    Renderer r;
    r.render({}, Rgba{10, 20, 30, 0}, kPixelStage, Quality::High, img);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(img, x, y), (Rgba{10, 20, 30, 255}));
    // In memory: blue, green, red, alpha.
    EXPECT_EQ(img.pixels[0], 30);
    EXPECT_EQ(img.pixels[2], 10);
}

// Later items paint over earlier ones; items without a shape and out-of-range styles are
// skipped.
TEST(SwfRenderFill, ItemsPaintInOrderAndBadStylesAreSkipped) {
    Shape below, above, broken;
    below.fills = {Solid(kRed)};
    below.paths = {Box(0, 0, 6, 6, 0, 1)};
    above.fills = {Solid(kBlue)};
    above.paths = {Box(3, 3, 9, 9, 0, 1)};
    broken.fills = {Solid(kBlack)};
    broken.paths = {Box(0, 0, 10, 10, 0, 7)};
    const RenderItem items[] = {
        {&below, {}, {}}, {nullptr, {}, {}}, {&above, {}, {}}, {&broken, {}, {}}};
    BgraImage img;
    img.resize(10, 10);
    Renderer r;
    r.render(items, kWhite, kPixelStage, Quality::High, img);
    EXPECT_EQ(PixelAt(img, 1, 1), kRed);
    EXPECT_EQ(PixelAt(img, 4, 4), kBlue);
    EXPECT_EQ(PixelAt(img, 8, 8), kBlue);
    EXPECT_EQ(PixelAt(img, 1, 8), kWhite);
}

struct ExtremeCase {
    const char* name;
    Matrix matrix;
};

// Coordinates at the ends of their range, the largest scales a file can hold and non-finite
// products: drawn (or skipped) without faults, and in bounded time.
TEST(SwfRenderFill, ExtremeGeometryIsSafe) {
    const double big = 32767.99;
    const ExtremeCase cases[] = {
        {"identity", {}},
        {"largest scale", {big, 0, 0, big, 0, 0}},
        {"largest skew", {big, -big, big, big, -2e9, 2e9}},
        {"tiny", {1e-9, 0, 0, 1e-9, 0, 0}},
        {"singular", {0, 0, 0, 0, 0, 0}},
        {"infinite", {HUGE_VAL, 0, 0, 1, 0, 0}},
        {"not a number", {1, 0, 0, 1, std::nan(""), 0}},
    };
    Shape shape;
    shape.fills = {Solid(kRed)};
    FillStyle gradient;
    gradient.type = FillType::RadialGradient;
    gradient.matrix = Matrix{1e-6, 0, 0, 1e-6, 0, 0};
    gradient.gradient.spread = SpreadMode::Reflect;
    gradient.gradient.stops = {{0, kRed}, {255, kBlue}};
    shape.fills.push_back(gradient);
    LineStyle wide;
    wide.width = 65535;
    shape.lines = {wide};
    const std::int32_t far = 2000000000;
    ShapePath p;
    p.fill1 = 1;
    p.line = 1;
    p.start = {-far, -far};
    p.edges = {
        {true, {far, -far}, {far, far}}, {false, {}, {-far, far}}, {false, {}, {-far, -far}}};
    ShapePath q = Box(1, 1, 5, 5, 0, 2, true, 1);
    shape.paths = {p, q};
    for (const ExtremeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const BgraImage img = RenderShape(shape, 16, 16, Quality::High, kWhite, c.matrix);
        EXPECT_EQ(PixelAt(img, 8, 8).a, 255);
    }
}

}  // namespace
}  // namespace saver::swf
