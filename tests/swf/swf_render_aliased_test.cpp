// Aliased scan conversion: a pixel is painted when its centre lies inside, a centre on an edge
// goes right of or below it, fill rules and style order where regions meet; and the curve
// flattener's chords.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "swf/render/AliasedRasterizer.h"
#include "swf/render/CurveFlattener.h"

namespace saver::swf {
namespace {

struct Outline {
    int left, right;
    std::vector<std::pair<double, double>> points;  // closed
};

// Rows of a 6 x 4 picture: '.' unpainted, else the painted style's digit ('#' painted twice).
std::vector<std::string> Sample(const std::vector<Outline>& outlines, bool nonZero) {
    std::vector<std::string> rows(4, std::string(6, '.'));
    AliasedRasterizer r;
    r.reset(6, 4);
    r.setNonZero(nonZero);
    for (const Outline& o : outlines) {
        r.styles(o.left, o.right);
        r.moveTo(o.points[0].first, o.points[0].second);
        for (std::size_t i = 1; i < o.points.size(); ++i)
            r.lineTo(o.points[i].first, o.points[i].second);
        r.closePolygon();
    }
    r.sweep([&rows](int y, int x0, int x1, int style) {
        for (int x = x0; x < x1; ++x)
            rows[y][x] = rows[y][x] == '.' ? static_cast<char>('0' + style) : '#';
    });
    return rows;
}

using Points = std::vector<std::pair<double, double>>;

Points Box(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};  // clockwise on screen: inside on the right
}

Points Reversed(Points p) {
    return Points(p.rbegin(), p.rend());
}

struct Case {
    const char* name;
    std::vector<Outline> outlines;
    bool nonZero;
    std::vector<std::string> expected;
};

TEST(SwfRenderAliased, PixelCentresDecide) {
    const Case cases[] = {
        {"whole pixels",
         {{-1, 0, Box(1, 1, 3, 3)}},
         false,
         {"......", ".00...", ".00...", "......"}},
        {"edges through centres: left and top take them",
         {{-1, 0, Box(0.5, 0.5, 2.5, 2.5)}},
         false,
         {"00....", "00....", "......", "......"}},
        {"outline running the other way, fill on its left",
         {{0, -1, Reversed(Box(1, 1, 3, 3))}},
         false,
         {"......", ".00...", ".00...", "......"}},
        {"most of a pixel but not its centre",
         {{-1, 0, Box(0, 0, 1, 1)}, {-1, 0, Box(0.4, 0.4, 0.6, 0.6)}},  // a hole at the centre
         false,
         {"......", "......", "......", "......"}},
        {"a sliver over the centres",
         {{-1, 0, Box(0.4, 0, 0.6, 4)}},
         false,
         {"0.....", "0.....", "0.....", "0....."}},
        {"neighbours share their edge without overlap or gap",
         {{-1, 0, Box(0, 0, 2.5, 2)}, {-1, 1, Box(2.5, 0, 6, 2)}},
         false,
         {"001111", "001111", "......", "......"}},
        {"overlapping regions: the lower style is painted",
         {{-1, 1, Box(0, 0, 4, 1)}, {-1, 0, Box(2, 0, 6, 1)}},
         false,
         {"110000", "......", "......", "......"}},
        {"even-odd: a square inside one running the same way is a hole",
         {{-1, 0, Box(0, 0, 6, 4)}, {-1, 0, Box(2, 1, 4, 3)}},
         false,
         {"000000", "00..00", "00..00", "000000"}},
        {"non-zero: the same squares fill",
         {{-1, 0, Box(0, 0, 6, 4)}, {-1, 0, Box(2, 1, 4, 3)}},
         true,
         {"000000", "000000", "000000", "000000"}},
        {"an edge a hair right of a centre is snapped onto it",
         {{-1, 0, Box(1.5 + 1e-5, 0, 6, 1)}},
         false,
         {".00000", "......", "......", "......"}},
        {"far outside the picture",
         {{-1, 0, Box(-1e12, -1e12, 1e12, 1)}},
         false,
         {"000000", "......", "......", "......"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Sample(c.outlines, c.nonZero), c.expected);
    }
}

TEST(SwfRenderAliased, FlattenedCurvesKeepWithinTheTolerance) {
    struct Curve {
        CurvePoint p0, c, p1;
        double tolerance;
        int chords;  // expected number of chords
    };
    const Curve curves[] = {
        {{0, 0}, {50, 0.1}, {100, 0}, 0.1, 1},  // control within twice the tolerance
        {{0, 0}, {0, 0}, {0, 0}, 0.1, 1},       // a point
        {{0, 0}, {50, 100}, {100, 0}, 0.1, 0},  // many: only the error is checked
        {{0, 0}, {100, 0}, {100, 100}, 2, 0},
    };
    for (const Curve& k : curves) {
        std::vector<CurvePoint> points{k.p0};
        FlattenQuadratic(k.p0, k.c, k.p1, k.tolerance, 1000, [&points](double x, double y) {
            points.push_back({x, y});
        });
        if (k.chords > 0) EXPECT_EQ(points.size() - 1, std::size_t(k.chords));
        EXPECT_EQ(points.back().x, k.p1.x);
        EXPECT_EQ(points.back().y, k.p1.y);
        // Every point of the curve lies within the tolerance (and a little rounding) of a chord.
        for (int i = 0; i <= 200; ++i) {
            const double t = i / 200.0, s = 1 - t;
            const double x = s * s * k.p0.x + 2 * s * t * k.c.x + t * t * k.p1.x;
            const double y = s * s * k.p0.y + 2 * s * t * k.c.y + t * t * k.p1.y;
            double nearest = 1e9;
            for (std::size_t j = 1; j < points.size(); ++j) {
                const double ax = points[j - 1].x, ay = points[j - 1].y;
                const double dx = points[j].x - ax, dy = points[j].y - ay;
                const double len2 = dx * dx + dy * dy;
                const double u =
                    len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0;
                nearest = std::min(nearest, std::hypot(ax + u * dx - x, ay + u * dy - y));
            }
            EXPECT_LE(nearest, k.tolerance * 1.05) << "t = " << t;
        }
    }
}

}  // namespace
}  // namespace saver::swf
