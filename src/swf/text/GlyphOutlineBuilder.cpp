// Points are rounded to whole EM units: at 1024 units per EM a unit is a twentieth of a pixel
// at 50 pixels per EM, finer than the rasteriser's anti-aliasing can show. A cubic segment is
// split at t = 1/2 and each half stands in as one quadratic whose control point is where the
// half's two tangents meet, near enough for glyph curves (they are short and gently bent).
#include "swf/text/GlyphOutlineBuilder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "swf/player/FontSource.h"

namespace saver::swf {

GlyphOutlineBuilder::GlyphOutlineBuilder(double unitsPerEm, double emSquare)
    : scale_(unitsPerEm > 0 ? emSquare / unitsPerEm : 1) {
    shape_.fills.emplace_back();
    shape_.nonZeroWinding = true;
}

Point GlyphOutlineBuilder::map(double x, double y) const {
    return {static_cast<std::int32_t>(std::lround(x * scale_)),
            static_cast<std::int32_t>(std::lround(-y * scale_))};
}

void GlyphOutlineBuilder::moveTo(double x, double y) {
    close();
    ShapePath path;
    path.fill1 = 1;
    path.start = map(x, y);
    shape_.paths.push_back(path);
    x_ = startX_ = x;
    y_ = startY_ = y;
    open_ = true;
}

void GlyphOutlineBuilder::lineTo(double x, double y) {
    if (!open_) moveTo(0, 0);
    shape_.paths.back().edges.push_back({false, {}, map(x, y)});
    x_ = x;
    y_ = y;
}

// The rasteriser the system's small glyphs are drawn with halves a curve until its second
// difference, quartered at each halving, is below an eighth of a pixel; its anti-aliasing then
// covers the chords, not the curve, which shows on a glyph of a dozen pixels as grey levels a
// few steps apart on every bowl. Halving a quadratic at its midpoints gives the same points as
// equal steps of its parameter.
void GlyphOutlineBuilder::quadToChords(double cx, double cy, double x, double y,
                                       double unitsPerPixel) {
    constexpr int kMaxChords = 1024;
    if (!open_) moveTo(0, 0);
    const double bend = std::max(std::abs(x_ - 2 * cx + x), std::abs(y_ - 2 * cy + y));
    const double eighth = unitsPerPixel > 0 ? unitsPerPixel / 8 : 1;
    auto steps = static_cast<std::int64_t>(std::min(bend / eighth, 1e12));
    int chords = 1;
    while (steps > 0 && chords < kMaxChords) {
        steps >>= 2;
        chords *= 2;
    }
    const double x0 = x_, y0 = y_;
    for (int i = 1; i <= chords; ++i) {
        const double t = double(i) / chords, u = 1 - t;
        lineTo(u * u * x0 + 2 * t * u * cx + t * t * x, u * u * y0 + 2 * t * u * cy + t * t * y);
    }
}

void GlyphOutlineBuilder::quadTo(double cx, double cy, double x, double y) {
    if (!open_) moveTo(0, 0);
    shape_.paths.back().edges.push_back({true, map(cx, cy), map(x, y)});
    x_ = x;
    y_ = y;
}

void GlyphOutlineBuilder::cubicTo(double c1x, double c1y, double c2x, double c2y, double x,
                                  double y) {
    const double x0 = x_, y0 = y_;
    // de Casteljau at 1/2.
    const double ax = (x0 + c1x) / 2, ay = (y0 + c1y) / 2;
    const double bx = (c1x + c2x) / 2, by = (c1y + c2y) / 2;
    const double cx = (c2x + x) / 2, cy = (c2y + y) / 2;
    const double abx = (ax + bx) / 2, aby = (ay + by) / 2;
    const double bcx = (bx + cx) / 2, bcy = (by + cy) / 2;
    const double mx = (abx + bcx) / 2, my = (aby + bcy) / 2;
    // Each half's quadratic control: the mean of the two points 3/4 of the way along its
    // end tangents (exact for a cubic that is a raised quadratic).
    quadTo((3 * (ax + abx) - x0 - mx) / 4, (3 * (ay + aby) - y0 - my) / 4, mx, my);
    quadTo((3 * (bcx + cx) - mx - x) / 4, (3 * (bcy + cy) - my - y) / 4, x, y);
}

void GlyphOutlineBuilder::close() {
    if (!open_) return;
    if (x_ != startX_ || y_ != startY_) lineTo(startX_, startY_);
    if (shape_.paths.back().edges.empty()) shape_.paths.pop_back();
    open_ = false;
}

Shape GlyphOutlineBuilder::finish() {
    close();
    Rect bounds{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
    auto grow = [&](Point p) {
        bounds.xMin = std::min(bounds.xMin, p.x);
        bounds.xMax = std::max(bounds.xMax, p.x);
        bounds.yMin = std::min(bounds.yMin, p.y);
        bounds.yMax = std::max(bounds.yMax, p.y);
    };
    for (const ShapePath& path : shape_.paths) {
        grow(path.start);
        for (const ShapeEdge& e : path.edges) {
            grow(e.anchor);
            if (e.curved) grow(e.control);
        }
    }
    if (shape_.paths.empty()) bounds = {};
    shape_.bounds = shape_.edgeBounds = bounds;
    return std::move(shape_);
}

}  // namespace saver::swf
