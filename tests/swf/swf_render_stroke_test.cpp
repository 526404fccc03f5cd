// Strokes: width, caps and joins measured by the painted area, scaling, joining paths of one
// line style, closing, and the painting order of lines and fills.
#include <gtest/gtest.h>

#include <numbers>

#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

LineStyle Line(double widthPx, CapStyle cap = CapStyle::None, JoinStyle join = JoinStyle::Miter,
               Rgba color = kBlack) {
    LineStyle l;
    l.width = static_cast<std::uint16_t>(widthPx * kTwips);
    l.color = color;
    l.startCap = l.endCap = cap;
    l.join = join;
    return l;
}

Shape Stroked(LineStyle style, std::vector<ShapePath> paths) {
    Shape s;
    s.lines = {style};
    s.paths = std::move(paths);
    return s;
}

ShapePath Segment(double x0, double y0, double x1, double y1) {
    return Polyline({Px(x0, y0), Px(x1, y1)}, 0, 0, 1);
}

struct WidthCase {
    const char* name;
    LineStyle style;
    Matrix matrix;
    double expected;  // painted pixels of a 20 px horizontal line (scaled by the matrix)
};

TEST(SwfRenderStroke, WidthAndCapsByArea) {
    const Matrix twice{2, 0, 0, 2, 0, 0};
    LineStyle unscaled = Line(4), noHScale = Line(4);
    unscaled.noHScale = unscaled.noVScale = true;
    noHScale.noHScale = true;
    const Matrix wide{2, 0, 0, 1, 0, 0};
    const WidthCase cases[] = {
        {"butt", Line(4, CapStyle::None), {}, 20 * 4},
        {"round", Line(4, CapStyle::Round), {}, 20 * 4 + std::numbers::pi * 4},
        {"square", Line(4, CapStyle::Square), {}, 20 * 4 + 2 * 2 * 4},
        {"hairline", Line(0), {}, 20},
        {"thinner than a pixel", Line(0.25), {}, 20},
        {"scaled", Line(4), twice, 40 * 8},
        {"not scaled", unscaled, twice, 40 * 4},
        {"not scaled across, stretched across", noHScale, wide, 40 * 4},
        {"not scaled across, scaled", noHScale, twice, 40 * 8},
    };
    for (const WidthCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Shape shape = Stroked(c.style, {Segment(10, 10, 30, 10)});
        const BgraImage img = RenderShape(shape, 80, 40, Quality::High, kWhite, c.matrix);
        EXPECT_NEAR(Coverage(img), c.expected, 1.5);
    }
}

// A shape stretched four times across: its vertical line four times as wide, its horizontal
// one as before.
TEST(SwfRenderStroke, StretchedShapeStretchesItsLines) {
    const Shape shape = Stroked(Line(2), {Segment(5, 2, 5, 18), Segment(8, 10, 14, 10)});
    const BgraImage img = RenderShape(shape, 64, 20, Quality::High, kWhite, {4, 0, 0, 1, 0, 0});
    int across = 0, down = 0;
    for (int x = 0; x < 64; ++x) across += PixelAt(img, x, 5) == kBlack;
    for (int y = 0; y < 20; ++y) down += PixelAt(img, 44, y) == kBlack;
    EXPECT_EQ(across, 8);
    EXPECT_EQ(down, 2);
}

// A right-angled corner of a 6 px line: the miter adds the full outer square (9 px) beyond
// the bevel's triangle (4.5), the round join a quarter disc (7.07).
TEST(SwfRenderStroke, JoinsByArea) {
    auto area = [](JoinStyle join) {
        const Shape shape = Stroked(Line(6, CapStyle::None, join),
                                    {Polyline({Px(10, 10), Px(30, 10), Px(30, 30)}, 0, 0, 1)});
        return Coverage(RenderShape(shape, 40, 40));
    };
    const double bevel = area(JoinStyle::Bevel);
    EXPECT_NEAR(area(JoinStyle::Miter) - bevel, 4.5, 0.8);
    EXPECT_NEAR(area(JoinStyle::Round) - bevel, 7.07 - 4.5, 0.8);
}

struct CloseCase {
    const char* name;
    bool noClose;
    bool split;  // the outline comes as two paths, the second starting where the first ends
    bool cornerPainted;
};

TEST(SwfRenderStroke, OutlineBackAtItsStartIsClosed) {
    const CloseCase cases[] = {
        {"one path", false, false, true},
        {"two paths", false, true, true},
        {"no close", true, false, false},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        LineStyle style = Line(4);
        style.noClose = c.noClose;
        std::vector<ShapePath> paths;
        if (c.split) {
            paths = {Polyline({Px(10, 10), Px(30, 10), Px(30, 30)}, 0, 0, 1),
                     Polyline({Px(30, 30), Px(10, 30), Px(10, 10)}, 0, 0, 1)};
        } else {
            paths = {Box(10, 10, 30, 30, 0, 0, true, 1)};
        }
        const BgraImage img = RenderShape(Stroked(style, paths), 40, 40);
        EXPECT_EQ(PixelAt(img, 8, 8) == kBlack, c.cornerPainted);  // the start corner
        EXPECT_EQ(PixelAt(img, 31, 31), kBlack);  // a corner inside the outline: always joined
        EXPECT_EQ(PixelAt(img, 20, 20), kWhite);
    }
}

// Segments of one translucent line style are painted as one: where they cross, the colour
// is no darker than elsewhere.
TEST(SwfRenderStroke, OneLineStyleBlendsOnce) {
    const Shape shape = Stroked(Line(4, CapStyle::None, JoinStyle::Miter, Rgba{0, 0, 0, 128}),
                                {Segment(4, 20, 36, 20), Segment(20, 4, 20, 36)});
    const BgraImage img = RenderShape(shape, 40, 40);
    EXPECT_EQ(PixelAt(img, 20, 20), PixelAt(img, 10, 20));
    EXPECT_NEAR(PixelAt(img, 10, 20).r, 127, 1);
}

TEST(SwfRenderStroke, LinesPaintOverTheShapesFills) {
    Shape shape;
    shape.fills = {Solid(kRed)};
    shape.lines = {Line(4)};
    shape.paths = {Box(10, 10, 30, 30, 0, 1, true, 1)};
    const BgraImage img = RenderShape(shape, 40, 40);
    EXPECT_EQ(PixelAt(img, 20, 10), kBlack);  // on the edge: the line wins on both sides
    EXPECT_EQ(PixelAt(img, 20, 11), kBlack);
    EXPECT_EQ(PixelAt(img, 20, 12), kRed);
    EXPECT_EQ(PixelAt(img, 20, 7), kWhite);
}

// A second layer's fill covers the first layer's line; without layers, lines go on top.
TEST(SwfRenderStroke, LayersPaintFillsThenLinesInTurn) {
    for (bool layered : {false, true}) {
        SCOPED_TRACE(layered ? "two layers" : "one layer");
        Shape shape;
        shape.fills = {Solid(kRed), Solid(kBlue)};
        shape.lines = {Line(4)};
        shape.paths = {Box(4, 4, 20, 20, 0, 1, true, 1), Box(10, 10, 30, 30, 0, 2)};
        if (layered) shape.layerStarts = {1};
        const BgraImage img = RenderShape(shape, 40, 40);
        EXPECT_EQ(PixelAt(img, 20, 15), layered ? kBlue : kBlack);  // the line's right side
        EXPECT_EQ(PixelAt(img, 4, 12), kBlack);  // the line outside the blue square
        EXPECT_EQ(PixelAt(img, 25, 25), kBlue);
    }
}

// A hairline is one pixel wide with or without anti-aliasing, wherever it lies; aliased, it
// paints exactly one row.
TEST(SwfRenderStroke, AliasedHairlinePaintsOneRow) {
    for (double y : {10.0, 10.25, 10.5, 10.75}) {
        SCOPED_TRACE(y);
        const Shape shape = Stroked(Line(0), {Segment(2, y, 18, y)});
        const BgraImage low = RenderShape(shape, 20, 20, Quality::Low);
        int rows = 0;
        for (int r = 0; r < 20; ++r) rows += PixelAt(low, 10, r) == kBlack;
        EXPECT_EQ(rows, 1);
        EXPECT_NEAR(Coverage(low), 16, 1);
        EXPECT_NEAR(Coverage(RenderShape(shape, 20, 20, Quality::High)), 16, 1);
    }
}

TEST(SwfRenderStroke, GradientFilledLine) {
    LineStyle style = Line(6);
    FillStyle fill;
    fill.type = FillType::LinearGradient;
    const double s = 40.0 * kTwips / 32768.0;  // the square spans x = 0..40
    fill.matrix = Matrix{s, 0, 0, s, 20 * kTwips, 10 * kTwips};
    fill.gradient.stops = {{0, kRed}, {255, kBlue}};
    style.fill = fill;
    const BgraImage img = RenderShape(Stroked(style, {Segment(0, 10, 40, 10)}), 40, 20);
    const Rgba left = PixelAt(img, 1, 10), right = PixelAt(img, 38, 10);
    EXPECT_GT(left.r, 240);
    EXPECT_LT(left.b, 15);
    EXPECT_GT(right.b, 240);
    EXPECT_LT(right.r, 15);
}

}  // namespace
}  // namespace saver::swf
