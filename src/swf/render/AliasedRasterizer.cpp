// Each edge is kept with the rows whose centre line it crosses, half-open at the bottom: an
// edge from y0 to y1 is sampled on the rows r with y0 <= r + 0.5 < y1, so the rows of a shape's
// outline meet without overlap or gap. Along a row, a crossing at x hands the pixels whose
// centres lie at x or beyond to the next region, the same half-open rule sideways.
//
// The sweep keeps the edges that cross the current row (added from a list sorted by first row,
// dropped after their last), finds where they cross the row's centre line, sorts those crossings
// and walks them left to right, updating the winding count of the styles on each side.
#include "swf/render/AliasedRasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace saver::swf {

namespace {

constexpr double kSubpixels = 256;          // snapping grid per pixel
constexpr std::int64_t kHalf = 128;         // a pixel's centre, in grid units
constexpr double kFarthest = 2147483648.0;  // pixels; farther points are clamped

using Wide = __int128;

// The smallest integer not below n / d, for d > 0.
template <class T>
T CeilDiv(T n, T d) {
    return n / d + (n % d > 0 ? 1 : 0);
}

std::int64_t Snap(double v) {
    return std::llround(std::clamp(v, -kFarthest, kFarthest) * kSubpixels);
}

// The first row whose centre lies at or below the grid position v, within [0, limit].
int FirstCentreAtOrAfter(std::int64_t v, int limit) {
    const std::int64_t i = CeilDiv<std::int64_t>(v - kHalf, 256);
    return static_cast<int>(std::clamp<std::int64_t>(i, 0, limit));
}

}  // namespace

void AliasedRasterizer::reset(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    edges_.clear();
    left_ = right_ = -1;
    penX_ = penY_ = startX_ = startY_ = 0;
}

void AliasedRasterizer::styles(int left, int right) {
    left_ = left;
    right_ = right;
    const int most = std::max(left, right);
    if (most >= 0 && static_cast<std::size_t>(most) >= winding_.size())
        winding_.resize(static_cast<std::size_t>(most) + 1, 0);
}

void AliasedRasterizer::moveTo(double x, double y) {
    penX_ = startX_ = x;
    penY_ = startY_ = y;
}

void AliasedRasterizer::lineTo(double x, double y) {
    addEdge(penX_, penY_, x, y);
    penX_ = x;
    penY_ = y;
}

void AliasedRasterizer::closePolygon() {
    if (penX_ != startX_ || penY_ != startY_) lineTo(startX_, startY_);
}

void AliasedRasterizer::addEdge(double fx0, double fy0, double fx1, double fy1) {
    if (!std::isfinite(fx0) || !std::isfinite(fy0) || !std::isfinite(fx1) || !std::isfinite(fy1))
        return;
    if (left_ < 0 && right_ < 0) return;
    std::int64_t x0 = Snap(fx0), y0 = Snap(fy0), x1 = Snap(fx1), y1 = Snap(fy1);
    if (y0 == y1) return;
    int direction = 1;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        direction = -1;
    }
    // Rows whose centre c has y0 <= c < y1.
    const int first = FirstCentreAtOrAfter(y0, height_);
    const int last = FirstCentreAtOrAfter(y1, height_) - 1;
    if (first > last) return;
    Edge edge{x0, y0, x1 - x0, y1 - y0, 0, first, last, left_, right_, direction};
    edge.slope = double(edge.dx) / double(edge.dy);
    edges_.push_back(edge);
}

// Where the edge crosses the row's centre line, as the first column whose centre lies at or
// right of it. Doubles decide unless the crossing is within rounding of a pixel centre; then
// the products are taken exactly.
int AliasedRasterizer::columnAt(const Edge& e, int row) const {
    const std::int64_t centre = std::int64_t{row} * 256 + kHalf;
    const double x = double(e.x0) + double(centre - e.y0) * e.slope;
    const double b = (x - double(kHalf)) / kSubpixels;  // whole at a pixel centre
    if (!(b > -1)) return 0;
    if (b >= width_ + 1) return width_;
    if (std::fabs(b - std::round(b)) > 1e-4) return std::clamp(int(std::ceil(b)), 0, width_);
    const Wide n = Wide(e.x0 - kHalf) * e.dy + Wide(centre - e.y0) * e.dx;
    const Wide column = CeilDiv<Wide>(n, Wide(e.dy) * 256);
    return static_cast<int>(std::clamp<Wide>(column, 0, width_));
}

// The style painted where the sweep stands: the lowest one whose region it is in.
int AliasedRasterizer::active() const {
    if (inside_.empty()) return -1;
    return *std::min_element(inside_.begin(), inside_.end());
}

void AliasedRasterizer::cross(const Crossing& c) {
    auto step = [this](int style, int by) {
        if (style < 0) return;
        int& w = winding_[static_cast<std::size_t>(style)];
        const bool was = nonZero_ ? w != 0 : (w & 1) != 0;
        w += by;
        const bool is = nonZero_ ? w != 0 : (w & 1) != 0;
        if (was == is) return;
        if (is)
            inside_.push_back(style);
        else
            inside_.erase(std::find(inside_.begin(), inside_.end(), style));
    };
    step(c.right, c.direction);
    step(c.left, -c.direction);
}

bool AliasedRasterizer::sweep(const RunSink& run) {
    if (edges_.empty()) return false;
    order_.resize(edges_.size());
    for (std::uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return edges_[a].firstRow < edges_[b].firstRow;
    });
    live_.clear();
    std::size_t next = 0;
    for (int row = edges_[order_[0]].firstRow; row < height_; ++row) {
        while (next < order_.size() && edges_[order_[next]].firstRow <= row)
            live_.push_back(order_[next++]);
        std::erase_if(live_, [this, row](std::uint32_t e) { return edges_[e].lastRow < row; });
        if (live_.empty()) {
            if (next == order_.size()) break;
            row = edges_[order_[next]].firstRow - 1;  // skip rows no edge crosses
            continue;
        }
        crossings_.clear();
        for (std::uint32_t e : live_) {
            const Edge& edge = edges_[e];
            crossings_.push_back({columnAt(edge, row), edge.left, edge.right, edge.direction});
        }
        // Crossings at one column boundary may come in any order: no pixel lies between them.
        std::sort(crossings_.begin(), crossings_.end(),
                  [](const Crossing& a, const Crossing& b) { return a.column < b.column; });
        for (const Crossing& c : crossings_) {
            if (c.left >= 0) winding_[static_cast<std::size_t>(c.left)] = 0;
            if (c.right >= 0) winding_[static_cast<std::size_t>(c.right)] = 0;
        }
        inside_.clear();
        int style = -1, from = 0;
        for (const Crossing& c : crossings_) {
            const int at = c.column;
            cross(c);
            const int now = active();
            if (now == style) continue;
            if (style >= 0 && at > from) run(row, from, at, style);
            style = now;
            from = at;
        }
    }
    return true;
}

}  // namespace saver::swf
