// Why pieces rather than one outline: without anti-aliasing a pixel is in the line when its
// centre lies in any piece, so overlapping pieces cost nothing and no offset curve has to be
// untangled. The union is the same as an outline traced around the line wherever the line's
// straight pieces are longer than it is wide, which holds for flattened curves at the usual
// widths.
//
// Where the pieces land decides which edge pixels are painted, so their shape follows the
// pictures: round joins and caps are split into 2^k equal angles (k from the number of chords
// the tolerance asks for, rounded in log scale), a miter's length is measured against its
// limit as twice the line width, and an over-long miter is cut at limit / 2 half-widths from
// the corner.
#include "swf/render/AliasedStroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/render/AliasedRasterizer.h"

namespace saver::swf {

namespace {

constexpr int kMaxSubdivisions = 10;

struct Vec {
    double x, y;
};

Vec Unit(double x, double y) {
    const double len = std::hypot(x, y);
    return len > 0 ? Vec{x / len, y / len} : Vec{0, 0};
}

}  // namespace

void AliasedStroker::clear() {
    vertices_.clear();
    contours_.clear();
    open_ = false;
}

void AliasedStroker::begin(double x, double y) {
    if (open_) end(false);
    contours_.push_back({vertices_.size(), 0, false});
    vertices_.push_back({x, y, false});
    open_ = true;
}

void AliasedStroker::lineTo(double x, double y, bool inCurve) {
    if (!open_) begin(x, y);
    vertices_.push_back({x, y, inCurve});
}

void AliasedStroker::end(bool closed) {
    if (!open_) return;
    Contour& c = contours_.back();
    c.count = vertices_.size() - c.first;
    c.closed = closed;
    open_ = false;
}

void AliasedStroker::stroke(const Style& style, const Matrix& toPixels, AliasedRasterizer& raster) {
    if (open_) end(false);
    if (!(style.halfWidth > 0)) return;
    style_ = style;
    m_ = toPixels;
    raster_ = &raster;
    for (const Contour& c : contours_) strokeContour(c);
    raster_ = nullptr;
}

void AliasedStroker::strokeContour(const Contour& c) {
    // Points that nearly repeat the one before are dropped.
    const double w = 2 * style_.halfWidth, tol = style_.tolerance;
    const double merge = std::max(std::min(tol * tol * 0.5, w * w * 0.05), 1e-8);
    std::vector<Vertex> pts;
    pts.reserve(c.count);
    for (std::size_t i = c.first; i < c.first + c.count; ++i) {
        const Vertex& v = vertices_[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y)) return;
        if (!pts.empty()) {
            const double dx = v.x - pts.back().x, dy = v.y - pts.back().y;
            if (dx * dx + dy * dy < merge) continue;
        }
        pts.push_back(v);
    }
    bool closed = c.closed;
    if (closed && pts.size() > 1) {
        const double dx = pts.back().x - pts.front().x, dy = pts.back().y - pts.front().y;
        if (dx * dx + dy * dy < merge) pts.pop_back();
    }
    const std::size_t n = pts.size();
    if (n == 0) return;
    if (n == 1) {
        addDot(pts[0]);
        return;
    }
    if (n < 3) closed = false;
    std::vector<Corner> corners(n);
    for (std::size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i)
        corners[i] = addJoin(pts[(i + n - 1) % n], pts[i], pts[(i + 1) % n]);
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i)
        addSegment(pts[i], corners[i], pts[(i + 1) % n], corners[(i + 1) % n]);
    if (closed) return;
    const Vec out0 = Unit(pts[0].x - pts[1].x, pts[0].y - pts[1].y);
    const Vec out1 = Unit(pts[n - 1].x - pts[n - 2].x, pts[n - 1].y - pts[n - 2].y);
    addCap(pts[0], out0.x, out0.y, style_.startCap);
    addCap(pts[n - 1], out1.x, out1.y, style_.endCap);
}

// The quadrilateral of the chord p-q, its ends on the corners' meeting points.
void AliasedStroker::addSegment(const Vertex& p, const Corner& cp, const Vertex& q,
                                const Corner& cq) {
    const Vec d = Unit(q.x - p.x, q.y - p.y);
    const double nx = -d.y * style_.halfWidth, ny = d.x * style_.halfWidth;
    auto end = [nx, ny](const Vertex& v, const Corner& c, double side, double& x, double& y) {
        x = v.x + side * nx;
        y = v.y + side * ny;
        if (!c.joined) return;
        if (side == c.side && c.outerSingle) {
            x = c.outerX;
            y = c.outerY;
        } else if (side != c.side && c.innerSingle) {
            x = c.innerX;
            y = c.innerY;
        }
    };
    points_.assign(8, 0);
    end(p, cp, 1, points_[0], points_[1]);
    end(q, cq, 1, points_[2], points_[3]);
    end(q, cq, -1, points_[4], points_[5]);
    end(p, cp, -1, points_[6], points_[7]);
    emit();
}

AliasedStroker::Corner AliasedStroker::addJoin(const Vertex& prev, const Vertex& at,
                                               const Vertex& next) {
    Corner corner;
    const Vec v0 = Unit(at.x - prev.x, at.y - prev.y);
    const Vec v1 = Unit(next.x - at.x, next.y - at.y);
    const double cross = v0.x * v1.y - v0.y * v1.x;
    const double dot = v0.x * v1.x + v0.y * v1.y;
    if (cross == 0 && dot > 0) return corner;  // straight on: the quadrilaterals meet exactly
    corner.joined = true;
    // The outer side of the corner, as the sign of the left normal (-dy, dx) of the chords.
    const double s = cross > 0 ? -1 : 1;
    corner.side = s;
    const double hw = style_.halfWidth;
    const Vec n0{-v0.y * s, v0.x * s}, n1{-v1.y * s, v1.x * s};
    const Vec a{at.x + n0.x * hw, at.y + n0.y * hw}, b{at.x + n1.x * hw, at.y + n1.y * hw};
    // The miter point's offset, in half-widths: (n0 + n1) / cos^2(half the turn) / 2.
    const double sx = n0.x + n1.x, sy = n0.y + n1.y, s2 = sx * sx + sy * sy;
    const bool canMiter = s2 > 1e-8;
    const Vec miter = canMiter ? Vec{2 * sx / s2, 2 * sy / s2} : Vec{0, 0};
    const double miter2 = miter.x * miter.x + miter.y * miter.y;
    JoinStyle join = style_.join;
    if (at.inCurve && dot > 0) join = JoinStyle::Miter;  // a point inside a flattened curve
    if (join == JoinStyle::Miter && !canMiter) join = JoinStyle::Bevel;
    const double limit = style_.miterLimit;
    if (join == JoinStyle::Miter && !at.inCurve && limit < 1) join = JoinStyle::Bevel;
    const bool wholeMiter = join == JoinStyle::Miter && (at.inCurve || miter2 <= limit * limit * 4);
    // Inside, the pieces meet at the inner miter point, unless a sharp corner would put it
    // beyond both neighbouring chords (then each chord keeps its own end).
    if (canMiter) {
        const double back = std::sqrt(miter2) * hw;
        const Vec dir = Unit(miter.x, miter.y);
        const double alongPrev = back * std::fabs(dir.x * v0.x + dir.y * v0.y);
        const double alongNext = back * std::fabs(dir.x * v1.x + dir.y * v1.y);
        const double lenPrev = std::hypot(at.x - prev.x, at.y - prev.y);
        const double lenNext = std::hypot(next.x - at.x, next.y - at.y);
        const bool folds = !wholeMiter && dot < 0 && alongPrev > lenPrev && alongNext > lenNext;
        if (!folds) {
            corner.innerSingle = true;
            corner.innerX = at.x - miter.x * hw;
            corner.innerY = at.y - miter.y * hw;
        }
    }
    if (wholeMiter) {
        corner.outerSingle = true;
        corner.outerX = at.x + miter.x * hw;
        corner.outerY = at.y + miter.y * hw;
        return corner;
    }
    // The wedge outside, from the inner meeting point round to the two offset points.
    points_ = {corner.innerSingle ? corner.innerX : at.x, corner.innerSingle ? corner.innerY : at.y,
               a.x, a.y};
    if (join == JoinStyle::Miter) {
        // Cut square at `clip` from the corner, across the miter's direction.
        const double clip = limit * 0.5 * hw;
        const Vec dir = Unit(miter.x, miter.y);
        const double t0 =
            (clip - hw * (n0.x * dir.x + n0.y * dir.y)) / (v0.x * dir.x + v0.y * dir.y);
        const double t1 =
            (clip - hw * (n1.x * dir.x + n1.y * dir.y)) / (-v1.x * dir.x - v1.y * dir.y);
        if (clip > hw && std::isfinite(t0) && std::isfinite(t1))
            points_.insert(points_.end(),
                           {a.x + v0.x * t0, a.y + v0.y * t0, b.x - v1.x * t1, b.y - v1.y * t1});
    } else if (join == JoinStyle::Round) {
        const double a0 = std::atan2(n0.y, n0.x);
        const double turn = std::atan2(n0.x * n1.y - n0.y * n1.x, n0.x * n1.x + n0.y * n1.y);
        points_.resize(2);
        addArc(at.x, at.y, a0, a0 + turn, arcSubdivisions(turn));
        emit();
        return corner;
    }
    points_.insert(points_.end(), {b.x, b.y});
    emit();
    return corner;
}

// The cap at an open end whose outward direction is (dx, dy).
void AliasedStroker::addCap(const Vertex& end, double dx, double dy, CapStyle cap) {
    const double hw = style_.halfWidth;
    const double nx = -dy * hw, ny = dx * hw;
    if (cap == CapStyle::Square) {
        points_ = {
            end.x + nx,           end.y + ny,           end.x + nx + dx * hw, end.y + ny + dy * hw,
            end.x - nx + dx * hw, end.y - ny + dy * hw, end.x - nx,           end.y - ny};
        emit();
    } else if (cap == CapStyle::Round && hw >= style_.tolerance) {
        const double a0 = std::atan2(ny, nx);
        const double quarter = std::numbers::pi / 2;
        // Two quarter turns from one side through the tip to the other.
        const double sign = (nx * dy - ny * dx) > 0 ? 1 : -1;
        const int k = arcSubdivisions(quarter);
        points_.clear();
        addArc(end.x, end.y, a0, a0 + sign * quarter, k);
        points_.resize(points_.size() - 2);
        addArc(end.x, end.y, a0 + sign * quarter, a0 + sign * 2 * quarter, k);
        emit();
    }
}

// Appends the points of an arc of radius halfWidth from angle a0 to a1, both ends included.
void AliasedStroker::addArc(double cx, double cy, double a0, double a1, int subdivisions) {
    const int steps = 1 << subdivisions;
    for (int j = 0; j <= steps; ++j) {
        const double a = a0 + (a1 - a0) * j / steps;
        points_.push_back(cx + std::cos(a) * style_.halfWidth);
        points_.push_back(cy + std::sin(a) * style_.halfWidth);
    }
}

void AliasedStroker::addDot(const Vertex& at) {
    const double hw = style_.halfWidth;
    if (style_.startCap == CapStyle::Square) {
        points_ = {at.x - hw, at.y - hw, at.x + hw, at.y - hw,
                   at.x + hw, at.y + hw, at.x - hw, at.y + hw};
        emit();
    } else if (style_.startCap == CapStyle::Round && hw >= style_.tolerance) {
        const int k = arcSubdivisions(std::numbers::pi / 2);
        points_.clear();
        addArc(at.x, at.y, 0, 2 * std::numbers::pi, k + 2);
        emit();
    }
}

int AliasedStroker::arcSubdivisions(double angle) const {
    const double r = style_.halfWidth;
    const double tol = std::min(style_.tolerance, r);
    const double step = 2 * std::acos((r - tol) / r);
    if (!(step > 0)) return 0;
    const double chords = std::ceil(std::fabs(angle) / step);
    if (!(chords > 1)) return 0;
    return std::clamp(static_cast<int>(std::lround(std::log2(chords))), 0, kMaxSubdivisions);
}

void AliasedStroker::emit() {
    const std::size_t count = points_.size() / 2;
    if (count < 3) return;
    double area = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t j = (i + 1) % count;
        area += points_[2 * i] * points_[2 * j + 1] - points_[2 * j] * points_[2 * i + 1];
    }
    if (m_.a * m_.d - m_.b * m_.c < 0) area = -area;
    auto put = [this](std::size_t i, bool first) {
        double x = 0, y = 0;
        m_.apply(points_[2 * i], points_[2 * i + 1], x, y);
        if (first)
            raster_->moveTo(x, y);
        else
            raster_->lineTo(x, y);
    };
    for (std::size_t k = 0; k < count; ++k) put(area >= 0 ? k : count - 1 - k, k == 0);
    raster_->closePolygon();
}

}  // namespace saver::swf
