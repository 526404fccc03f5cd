// Shape hit tests count, per fill style, how often a ray from the point crosses the edges
// bounding that fill; a point is inside a fill region when the count is odd. An edge with the
// same fill on both sides bounds nothing and is skipped.
#include "swf/player/ContentGeometry.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace saver::swf {

void AddMappedRect(const Rect& r, const Matrix& m, Rect& box, bool& hasBox) {
    const double xs[2] = {static_cast<double>(r.xMin), static_cast<double>(r.xMax)};
    const double ys[2] = {static_cast<double>(r.yMin), static_cast<double>(r.yMax)};
    for (double x : xs) {
        for (double y : ys) {
            double px = 0, py = 0;
            m.apply(x, y, px, py);
            const auto ix = static_cast<std::int32_t>(std::clamp(px, -2147483647.0, 2147483647.0));
            const auto iy = static_cast<std::int32_t>(std::clamp(py, -2147483647.0, 2147483647.0));
            if (!hasBox) {
                box = {ix, ix, iy, iy};
                hasBox = true;
                continue;
            }
            box.xMin = std::min(box.xMin, ix);
            box.xMax = std::max(box.xMax, ix);
            box.yMin = std::min(box.yMin, iy);
            box.yMax = std::max(box.yMax, iy);
        }
    }
}

bool Invert(const Matrix& m, Matrix& out) {
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0 || !std::isfinite(det)) {
        out = Matrix{};
        return false;
    }
    out.a = m.d / det;
    out.b = -m.b / det;
    out.c = -m.c / det;
    out.d = m.a / det;
    out.tx = -(out.a * m.tx + out.c * m.ty);
    out.ty = -(out.b * m.tx + out.d * m.ty);
    return true;
}

namespace {

// Whether the segment crosses the horizontal ray going right from (x, y). A segment counts from
// just below its top end down to its bottom end (y grows downwards), so a point on a shape's
// top edge (or its top corners) lies outside, as the player's hit test has it.
bool Crosses(double x0, double y0, double x1, double y1, double x, double y) {
    if ((y0 >= y) == (y1 >= y)) return false;
    const double t = (y - y0) / (y1 - y0);
    return x0 + t * (x1 - x0) > x;
}

}  // namespace

bool ShapeContains(const Shape& shape, double x, double y) {
    if (x < shape.bounds.xMin || x > shape.bounds.xMax || y < shape.bounds.yMin ||
        y > shape.bounds.yMax)
        return false;
    std::map<std::uint32_t, int> crossings;
    for (const ShapePath& path : shape.paths) {
        if (path.fill0 == path.fill1) continue;
        double px = path.start.x, py = path.start.y;
        int count = 0;
        for (const ShapeEdge& edge : path.edges) {
            if (!edge.curved) {
                count += Crosses(px, py, edge.anchor.x, edge.anchor.y, x, y);
            } else {
                constexpr int kSteps = 8;
                double qx = px, qy = py;
                for (int i = 1; i <= kSteps; ++i) {
                    const double t = static_cast<double>(i) / kSteps, u = 1 - t;
                    const double nx =
                        u * u * px + 2 * u * t * edge.control.x + t * t * edge.anchor.x;
                    const double ny =
                        u * u * py + 2 * u * t * edge.control.y + t * t * edge.anchor.y;
                    count += Crosses(qx, qy, nx, ny, x, y);
                    qx = nx;
                    qy = ny;
                }
            }
            px = edge.anchor.x;
            py = edge.anchor.y;
        }
        if (path.fill0) crossings[path.fill0] += count;
        if (path.fill1) crossings[path.fill1] += count;
    }
    return std::any_of(crossings.begin(), crossings.end(),
                       [](const auto& entry) { return entry.second % 2 == 1; });
}

}  // namespace saver::swf
