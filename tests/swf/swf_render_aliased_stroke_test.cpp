// Aliased line outlines: which pixel centres the pieces of a line take at caps, corners inside
// and between edges, cut miters, closed outlines and lines that collapse to a point.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "swf/render/AliasedRasterizer.h"
#include "swf/render/AliasedStroker.h"

namespace saver::swf {
namespace {

struct StrokePoint {
    double x, y;
    bool inCurve;
};

struct Case {
    const char* name;
    std::vector<StrokePoint> points;
    bool closed;
    AliasedStroker::Style style;
    std::vector<std::string> expected;  // '#' painted (once, whatever the overlap)
};

std::vector<std::string> Stroke(const Case& c) {
    const int w = static_cast<int>(c.expected[0].size());
    const int h = static_cast<int>(c.expected.size());
    std::vector<std::string> rows(static_cast<std::size_t>(h), std::string(w, '.'));
    AliasedRasterizer r;
    r.reset(w, h);
    r.setNonZero(true);
    r.styles(-1, 0);
    AliasedStroker s;
    s.begin(c.points[0].x, c.points[0].y);
    for (std::size_t i = 1; i < c.points.size(); ++i)
        s.lineTo(c.points[i].x, c.points[i].y, c.points[i].inCurve);
    s.end(c.closed);
    s.stroke(c.style, Matrix{}, r);
    r.sweep([&rows](int y, int x0, int x1, int) {
        for (int x = x0; x < x1; ++x) rows[y][x] = rows[y][x] == '.' ? '#' : '2';
    });
    return rows;
}

AliasedStroker::Style Line(double width, CapStyle cap, JoinStyle join, double miterLimit = 3) {
    AliasedStroker::Style s;
    s.halfWidth = width / 2;
    s.startCap = s.endCap = cap;
    s.join = join;
    s.miterLimit = miterLimit;
    return s;
}

TEST(SwfRenderAliasedStroke, PiecesTakeTheirPixelCentres) {
    const Case cases[] = {
        // A 3-wide round cap has four chords per quarter turn; one of its points lies on the
        // diagonal, so the corner centres 1.41 from the ends are taken.
        {"round caps are polygons",
         {{2.5, 2.5, false}, {6.5, 2.5, false}},
         false,
         Line(3, CapStyle::Round, JoinStyle::Round),
         {"..........", ".#######..", ".#######..", ".#######..", "..........", ".........."}},
        {"butt and square caps",
         {{2, 2.5, false}, {5.2, 2.5, false}},
         false,
         [] {
             AliasedStroker::Style s = Line(1, CapStyle::None, JoinStyle::Round);
             s.endCap = CapStyle::Square;
             return s;
         }(),
         {"......", "......", "..####", "......"}},
        {"closed outlines have no caps",
         {{1.5, 1.5, false},
          {4.5, 1.5, false},
          {4.5, 4.5, false},
          {1.5, 4.5, false},
          {1.5, 1.5, false}},
         true,
         Line(1, CapStyle::Square, JoinStyle::Miter),
         {"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"}},
        {"a line collapsed to a point draws a dot",
         {{3, 3, false}, {3.01, 3, false}},
         false,
         Line(2, CapStyle::Square, JoinStyle::Round),
         {"......", "......", "..##..", "..##..", "......", "......"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Stroke(c), c.expected) << c.name;
}

// The same corner drawn with another join or with its point inside a curve.
std::vector<std::string> Corner(std::vector<StrokePoint> points, JoinStyle join, double limit,
                                bool inCurve) {
    points[1].inCurve = inCurve;
    return Stroke({"", points, false, Line(3, CapStyle::None, join, limit),
                   std::vector<std::string>(16, std::string(16, '.'))});
}

TEST(SwfRenderAliasedStroke, CornersInsideCurvesAreMitered) {
    const std::vector<StrokePoint> gentle = {
        {1.5, 4.9, false}, {8.9, 4.9, false}, {14.9, 10.9, false}};
    const auto mitered = Corner(gentle, JoinStyle::Miter, 3, false);
    EXPECT_NE(mitered, Corner(gentle, JoinStyle::Bevel, 3, false));
    EXPECT_EQ(Corner(gentle, JoinStyle::Bevel, 3, true), mitered);
    EXPECT_EQ(Corner(gentle, JoinStyle::Round, 3, true), mitered);
    // A right angle inside a curve keeps the line's own join.
    const std::vector<StrokePoint> square = {
        {2.5, 3.5, false}, {10.5, 3.5, false}, {10.5, 12.5, false}};
    EXPECT_EQ(Corner(square, JoinStyle::Bevel, 3, true),
              Corner(square, JoinStyle::Bevel, 3, false));
}

TEST(SwfRenderAliasedStroke, LongMitersAreCutAcross) {
    const std::vector<StrokePoint> sharp = {{1.5, 5.5, false}, {8.5, 7, false}, {1.5, 8.5, false}};
    auto count = [](const std::vector<std::string>& rows) {
        int n = 0;
        for (const std::string& r : rows)
            n += static_cast<int>(std::count(r.begin(), r.end(), '#'));
        return n;
    };
    const int whole = count(Corner(sharp, JoinStyle::Miter, 100, false));
    const int cut = count(Corner(sharp, JoinStyle::Miter, 2.2, false));
    const int bevel = count(Corner(sharp, JoinStyle::Bevel, 3, false));
    EXPECT_LT(cut, whole);
    EXPECT_GT(cut, bevel);
    // Below a limit of 1 a miter is a bevel.
    EXPECT_EQ(Corner(sharp, JoinStyle::Miter, 0.5, false),
              Corner(sharp, JoinStyle::Bevel, 3, false));
}

}  // namespace
}  // namespace saver::swf
