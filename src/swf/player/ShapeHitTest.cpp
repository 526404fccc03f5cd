// Curves are cut into a few straight pieces: a hit test needs no more precision than a pixel.
#include "swf/player/ShapeHitTest.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace saver::swf {

namespace {

constexpr int kCurvePieces = 8;
constexpr double kHairlineTwips = 20;

// Calls `segment` for every straight piece of the path.
void Segments(const ShapePath& path,
              const std::function<void(double, double, double, double)>& segment) {
    double px = path.start.x, py = path.start.y;
    for (const ShapeEdge& e : path.edges) {
        if (!e.curved) {
            segment(px, py, e.anchor.x, e.anchor.y);
        } else {
            double ax = px, ay = py;
            for (int i = 1; i <= kCurvePieces; ++i) {
                const double t = static_cast<double>(i) / kCurvePieces, u = 1 - t;
                const double bx = u * u * px + 2 * u * t * e.control.x + t * t * e.anchor.x;
                const double by = u * u * py + 2 * u * t * e.control.y + t * t * e.anchor.y;
                segment(ax, ay, bx, by);
                ax = bx;
                ay = by;
            }
        }
        px = e.anchor.x;
        py = e.anchor.y;
    }
}

double DistanceToSegment(double x, double y, double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
}

}  // namespace

bool InvertMatrix(const Matrix& m, Matrix& out) {
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0 || !std::isfinite(det)) return false;
    out = {m.d / det,
           -m.b / det,
           -m.c / det,
           m.a / det,
           (m.c * m.ty - m.d * m.tx) / det,
           (m.b * m.tx - m.a * m.ty) / det};
    return true;
}

bool HitShape(const Shape& shape, const Matrix& matrix, double x, double y) {
    Matrix inverse;
    if (!InvertMatrix(matrix, inverse)) return false;
    double lx = 0, ly = 0;
    inverse.apply(x, y, lx, ly);
    // Fills: a ray to the right crosses the outline of a fill an odd number of times (a point
    // on a top edge lies outside, as in ShapeContains).
    std::vector<int> crossings(shape.fills.size() + 1, 0);
    for (const ShapePath& path : shape.paths) {
        if (path.fill0 == path.fill1) continue;
        Segments(path, [&](double x0, double y0, double x1, double y1) {
            if ((y0 >= ly) == (y1 >= ly)) return;
            const double cx = x0 + (ly - y0) * (x1 - x0) / (y1 - y0);
            if (cx <= lx) return;
            if (path.fill0 >= 1 && path.fill0 <= shape.fills.size()) ++crossings[path.fill0];
            if (path.fill1 >= 1 && path.fill1 <= shape.fills.size()) ++crossings[path.fill1];
        });
    }
    if (std::any_of(crossings.begin(), crossings.end(), [](int n) { return n % 2 == 1; }))
        return true;
    // Lines, measured in the shape's space (widths scale with the shape).
    bool hit = false;
    for (const ShapePath& path : shape.paths) {
        if (hit || path.line < 1 || path.line > shape.lines.size()) continue;
        const double half = std::max<double>(shape.lines[path.line - 1].width, kHairlineTwips) / 2;
        Segments(path, [&](double x0, double y0, double x1, double y1) {
            hit = hit || DistanceToSegment(lx, ly, x0, y0, x1, y1) <= half;
        });
    }
    return hit;
}

}  // namespace saver::swf
