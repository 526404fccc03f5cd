// FlattenQuadratic: a quadratic curve as a chain of chords that stay within `tolerance` of it,
// with as few chords as that allows. The chords are spaced evenly along an approximation of
// the integral that measures how much a parabola bends (Raph Levien, "Flattening quadratic
// Béziers", 2019): the curve is seen as a piece of y = x^2, whose bend per unit of that
// integral is constant, so equal steps of it give chords of equal error.
//
// A curve whose control point lies within twice the tolerance of its chord (or that ends where
// it starts) is one chord. At most `maxChords` chords are made.
#pragma once

#include <algorithm>
#include <cmath>

namespace saver::swf {

struct CurvePoint {
    double x, y;
};

namespace curve_detail {

// Approximations of the integral of (1 + 4x^2)^-1/4 and of its inverse.
inline double BendIntegral(double x) {
    constexpr double d = 0.67;
    return x / (1 - d + std::sqrt(std::sqrt(d * d * d * d + 0.25 * x * x)));
}

inline double InverseBendIntegral(double x) {
    constexpr double b = 0.39;
    return x * (1 - b + std::sqrt(b * b + 0.25 * x * x));
}

}  // namespace curve_detail

// Calls lineTo(x, y) for the end of every chord from p0 through c to p1 (p0 itself excluded,
// p1 last).
template <class LineTo>
void FlattenQuadratic(CurvePoint p0, CurvePoint c, CurvePoint p1, double tolerance, int maxChords,
                      LineTo&& lineTo) {
    using curve_detail::BendIntegral;
    using curve_detail::InverseBendIntegral;
    const double chordX = p1.x - p0.x, chordY = p1.y - p0.y;
    const double chord2 = chordX * chordX + chordY * chordY;
    const double offset = chordX * (c.y - p0.y) - chordY * (c.x - p0.x);  // |chord| * distance
    if (chord2 == 0 || offset * offset <= 4 * tolerance * tolerance * chord2) {
        lineTo(p1.x, p1.y);
        return;
    }
    // The curve as the part of a parabola between parameters u0 and u1, and its scale.
    const double ddx = 2 * c.x - p0.x - p1.x, ddy = 2 * c.y - p0.y - p1.y;
    const double cross = chordX * ddy - chordY * ddx;
    const double u0 = ((c.x - p0.x) * ddx + (c.y - p0.y) * ddy) / cross;
    const double u1 = ((p1.x - c.x) * ddx + (p1.y - c.y) * ddy) / cross;
    const double scale = std::fabs(cross) / (std::hypot(ddx, ddy) * std::fabs(u1 - u0));
    const double a0 = BendIntegral(u0), a1 = BendIntegral(u1);
    const double wanted = std::ceil(0.5 * std::fabs(a1 - a0) * std::sqrt(scale / tolerance));
    const int n =
        std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double(maxChords))) : 1;
    const double v0 = InverseBendIntegral(a0), v1 = InverseBendIntegral(a1);
    const double step = (a1 - a0) / n;
    for (int i = 1; i < n; ++i) {
        const double t = (InverseBendIntegral(a0 + step * i) - v0) / (v1 - v0);
        const double s = 1 - t;
        lineTo(s * s * p0.x + 2 * s * t * c.x + t * t * p1.x,
               s * s * p0.y + 2 * s * t * c.y + t * t * p1.y);
    }
    lineTo(p1.x, p1.y);
}

}  // namespace saver::swf
