// Gradient fills: stop colours at the ends and centre, radial and focal shapes, spread modes,
// colour transforms of the stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

constexpr double kSquare = 32768.0;  // the gradient square's side in twips

// A gradient whose square spans `width` pixels, centred at (cx, cy) pixels.
FillStyle GradientFill(FillType type, double width, double cx, double cy,
                       SpreadMode spread = SpreadMode::Pad) {
    FillStyle f;
    f.type = type;
    const double s = width * kTwips / kSquare;
    f.matrix = Matrix{s, 0, 0, s, cx * kTwips, cy * kTwips};
    f.gradient.spread = spread;
    f.gradient.stops = {{0, kRed}, {255, kBlue}};
    return f;
}

BgraImage RenderFill(const FillStyle& fill, int w, int h, const ColorTransform& cx = {}) {
    Shape shape;
    shape.fills = {fill};
    shape.paths = {Box(0, 0, w, h, 0, 1)};
    return RenderShape(shape, w, h, Quality::High, kWhite, {}, cx);
}

void ExpectColor(const BgraImage& img, int x, int y, Rgba want, int tolerance = 4) {
    const Rgba got = PixelAt(img, x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "at " << x << "," << y;
}

TEST(SwfRenderGradient, LinearRunsAcrossTheSquare) {
    // Square 100 px wide centred at x = 50: ratio 0 at x = 0, 255 at x = 100.
    const BgraImage img = RenderFill(GradientFill(FillType::LinearGradient, 100, 50, 5), 100, 10);
    ExpectColor(img, 0, 5, kRed, 4);
    ExpectColor(img, 99, 5, kBlue, 4);
    ExpectColor(img, 50, 5, Rgba{127, 0, 128, 255}, 4);
    ExpectColor(img, 25, 2, Rgba{191, 0, 64, 255}, 4);
    // Nothing changes along the other axis.
    EXPECT_EQ(PixelAt(img, 30, 0), PixelAt(img, 30, 9));
}

struct AngleCase {
    const char* name;
    double radians;
};

// Every pixel of a turned linear gradient against the position computed here: a red channel
// off by more than a table step or two means a pixel took the wrong entry.
TEST(SwfRenderGradient, LinearAtAnyAngleMatchesItsPosition) {
    const AngleCase cases[] = {
        {"left to right", 0}, {"right to left", 3.14159265}, {"top to bottom", 1.5708},
        {"slanted", 0.4},     {"steep, reversed", -2.0},
    };
    for (const AngleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const double width = 70, cx = 60, cy = 30;  // the square: 70 px, centred in the image
        FillStyle f = GradientFill(FillType::LinearGradient, width, cx, cy);
        const double s = width * kTwips / kSquare, cs = std::cos(c.radians),
                     sn = std::sin(c.radians);
        f.matrix = Matrix{s * cs, s * sn, -s * sn, s * cs, cx * kTwips, cy * kTwips};
        const BgraImage img = RenderFill(f, 120, 60);
        int worst = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 120; ++x) {
                // Position along the gradient's axis, 0..1 over the square, padded.
                const double along = ((x + 0.5 - cx) * cs + (y + 0.5 - cy) * sn) / width + 0.5;
                const int entry = static_cast<int>(std::clamp(along, 0.0, 1.0) * 255 + 0.5);
                worst = std::max(worst, std::abs(PixelAt(img, x, y).r - (255 - entry)));
            }
        }
        EXPECT_LE(worst, 2);
    }
}

TEST(SwfRenderGradient, RadialGrowsFromTheCentre) {
    const BgraImage img = RenderFill(GradientFill(FillType::RadialGradient, 80, 40, 40), 80, 80);
    ExpectColor(img, 40, 40, kRed, 8);
    ExpectColor(img, 60, 40, Rgba{128, 0, 127, 255}, 8);  // half the radius
    ExpectColor(img, 40, 20, Rgba{128, 0, 127, 255}, 8);
    ExpectColor(img, 1, 1, kBlue, 1);  // beyond the circle: padded
}

TEST(SwfRenderGradient, FocalPointTakesTheFirstColour) {
    FillStyle f = GradientFill(FillType::FocalRadialGradient, 80, 40, 40);
    f.gradient.focalPoint = 0.5;  // 20 px right of the centre
    const BgraImage img = RenderFill(f, 80, 80);
    ExpectColor(img, 60, 40, kRed, 8);
    // Halfway from the focal point to the circle, on either side along the axis.
    ExpectColor(img, 70, 40, Rgba{128, 0, 127, 255}, 12);
    ExpectColor(img, 30, 40, Rgba{128, 0, 127, 255}, 12);
    ExpectColor(img, 79, 2, kBlue, 1);
}

struct SpreadCase {
    const char* name;
    SpreadMode spread;
    Rgba quarterBeyond;  // a quarter of the square past its right end
};

TEST(SwfRenderGradient, SpreadModesBeyondTheSquare) {
    const SpreadCase cases[] = {
        {"pad", SpreadMode::Pad, kBlue},
        {"reflect", SpreadMode::Reflect, Rgba{64, 0, 191, 255}},
        {"repeat", SpreadMode::Repeat, Rgba{191, 0, 64, 255}},
    };
    for (const SpreadCase& c : cases) {
        SCOPED_TRACE(c.name);
        // The square spans x = 0..40; the shape runs to 80.
        const BgraImage img =
            RenderFill(GradientFill(FillType::LinearGradient, 40, 20, 5, c.spread), 80, 10);
        ExpectColor(img, 50, 5, c.quarterBeyond, 8);
        ExpectColor(img, 10, 5, Rgba{191, 0, 64, 255}, 8);  // inside: unchanged
    }
}

struct SameRatioCase {
    const char* name;
    std::vector<GradientStop> stops;
    Rgba left, middleLeft, middleRight, beyondRight;  // at x = 2, 45, 55 and past the square
};

// Stops sharing a ratio make a hard step: before it the first of them counts, after it the
// last; at the ends the stop facing the inside of the gradient wins.
TEST(SwfRenderGradient, StopsAtTheSameRatio) {
    const Rgba green{0, 255, 0, 255};
    const SameRatioCase cases[] = {
        {"step in the middle",
         {{0, kRed}, {128, kRed}, {128, kBlue}, {255, kBlue}},
         kRed,
         kRed,
         kBlue,
         kBlue},
        {"doubled first stop", {{0, green}, {0, kRed}, {255, kRed}}, kRed, kRed, kRed, kRed},
        {"doubled last stop", {{0, kBlue}, {255, kBlue}, {255, green}}, kBlue, kBlue, kBlue, kBlue},
    };
    for (const SameRatioCase& c : cases) {
        SCOPED_TRACE(c.name);
        FillStyle f = GradientFill(FillType::LinearGradient, 100, 50, 5);
        f.gradient.stops = c.stops;
        const BgraImage img = RenderFill(f, 120, 10);
        ExpectColor(img, 2, 5, c.left, 1);
        ExpectColor(img, 45, 5, c.middleLeft, 1);
        ExpectColor(img, 55, 5, c.middleRight, 1);
        ExpectColor(img, 110, 5, c.beyondRight, 1);
    }
}

TEST(SwfRenderGradient, LinearRgbInterpolationIsBrighterInTheMiddle) {
    FillStyle f = GradientFill(FillType::LinearGradient, 100, 50, 5);
    f.gradient.stops = {{0, kBlack}, {255, kWhite}};
    const int normal = PixelAt(RenderFill(f, 100, 10), 50, 5).g;
    f.gradient.interpolation = InterpolationMode::Linear;
    const int linear = PixelAt(RenderFill(f, 100, 10), 50, 5).g;
    EXPECT_NEAR(normal, 128, 3);
    EXPECT_NEAR(linear, 188, 4);  // half the light: sRGB 0.735
    // Linear light is kept in whole 255ths, rounded down: dark channels of the stops
    // themselves come back changed (20 and 14 as 13, 25 as 22), full ones unchanged.
    FillStyle ends = GradientFill(FillType::LinearGradient, 50, 50, 5);
    ends.gradient.interpolation = InterpolationMode::Linear;
    ends.gradient.stops = {{0, Rgba{255, 20, 25, 255}}, {255, Rgba{14, 20, 255, 255}}};
    const BgraImage img = RenderFill(ends, 100, 10);
    ExpectColor(img, 5, 5, Rgba{255, 13, 22, 255}, 0);
    ExpectColor(img, 95, 5, Rgba{13, 13, 255, 255}, 0);
}

TEST(SwfRenderGradient, ColorTransformAppliesToStopsWithAlpha) {
    const ColorTransform halfAlpha{1, 1, 1, 0.5, 0, 0, 0, 0};
    const BgraImage img =
        RenderFill(GradientFill(FillType::LinearGradient, 100, 50, 5), 100, 10, halfAlpha);
    ExpectColor(img, 0, 5, Rgba{255, 128, 128, 255}, 4);
    ExpectColor(img, 99, 5, Rgba{128, 128, 255, 255}, 4);
}

TEST(SwfRenderGradient, SingularMatrixPaintsNothing) {
    FillStyle f = GradientFill(FillType::LinearGradient, 100, 50, 5);
    f.matrix.a = 0;
    f.matrix.d = 0;
    const BgraImage img = RenderFill(f, 20, 10);
    EXPECT_EQ(PixelAt(img, 10, 5), kWhite);
}

}  // namespace
}  // namespace saver::swf
