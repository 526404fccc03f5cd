// The edge walk keeps both pens, as the end records may move their pen where the start records
// do not and the other way round. Every output path begins at the interpolated pen.
#include "swf/player/MorphInterpolation.h"

#include <algorithm>
#include <cmath>

namespace saver::swf {

namespace {

struct Lerp {
    double t;

    std::int32_t twips(std::int32_t a, std::int32_t b) const {
        return static_cast<std::int32_t>(std::lround(a + (static_cast<double>(b) - a) * t));
    }
    std::uint8_t channel(std::uint8_t a, std::uint8_t b) const {
        return static_cast<std::uint8_t>(std::floor(a + (b - a) * t));
    }
    double real(double a, double b) const { return a + (b - a) * t; }

    Point point(Point a, Point b) const { return {twips(a.x, b.x), twips(a.y, b.y)}; }
    Rgba color(Rgba a, Rgba b) const {
        return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b), channel(a.a, b.a)};
    }
    Rect rect(const Rect& a, const Rect& b) const {
        return {twips(a.xMin, b.xMin), twips(a.xMax, b.xMax), twips(a.yMin, b.yMin),
                twips(a.yMax, b.yMax)};
    }
    Matrix matrix(const Matrix& a, const Matrix& b) const {
        return {real(a.a, b.a),
                real(a.b, b.b),
                real(a.c, b.c),
                real(a.d, b.d),
                static_cast<double>(std::lround(real(a.tx, b.tx))),
                static_cast<double>(std::lround(real(a.ty, b.ty)))};
    }

    FillStyle fill(const FillStyle& a, const FillStyle& b) const {
        FillStyle out = a;
        out.color = color(a.color, b.color);
        out.matrix = matrix(a.matrix, b.matrix);
        out.gradient.focalPoint = real(a.gradient.focalPoint, b.gradient.focalPoint);
        const std::size_t stops = std::min(a.gradient.stops.size(), b.gradient.stops.size());
        out.gradient.stops.resize(stops);
        for (std::size_t i = 0; i < stops; ++i) {
            const GradientStop& s = a.gradient.stops[i];
            const GradientStop& e = b.gradient.stops[i];
            out.gradient.stops[i] = {channel(s.ratio, e.ratio), color(s.color, e.color)};
        }
        return out;
    }

    LineStyle line(const LineStyle& a, const LineStyle& b) const {
        LineStyle out = a;
        out.width = static_cast<std::uint16_t>(std::clamp(twips(a.width, b.width), 0, 0xFFFF));
        out.color = color(a.color, b.color);
        if (a.fill && b.fill) out.fill = fill(*a.fill, *b.fill);
        return out;
    }
};

// One side's edges read in order across its paths, with the pen before the next edge.
class EdgeCursor {
  public:
    explicit EdgeCursor(const std::vector<ShapePath>& paths) : paths_(paths) { skipEmpty(); }

    bool done() const { return path_ >= paths_.size(); }
    bool atPathStart() const { return edge_ == 0; }
    const ShapePath& path() const { return paths_[path_]; }
    const ShapeEdge& edge() const { return paths_[path_].edges[edge_]; }
    Point pen() const { return edge_ == 0 ? path().start : path().edges[edge_ - 1].anchor; }
    void next() {
        if (++edge_ < path().edges.size()) return;
        edge_ = 0;
        ++path_;
        skipEmpty();
    }

  private:
    void skipEmpty() {
        while (path_ < paths_.size() && paths_[path_].edges.empty()) ++path_;
    }

    const std::vector<ShapePath>& paths_;
    std::size_t path_ = 0, edge_ = 0;
};

// A straight edge as the curve it equals: control point halfway along.
Point ControlOf(Point pen, const ShapeEdge& edge) {
    if (edge.curved) return edge.control;
    return {static_cast<std::int32_t>((static_cast<std::int64_t>(pen.x) + edge.anchor.x) / 2),
            static_cast<std::int32_t>((static_cast<std::int64_t>(pen.y) + edge.anchor.y) / 2)};
}

ShapeEdge EdgeBetween(const Lerp& lerp, Point startPen, const ShapeEdge& start, Point endPen,
                      const ShapeEdge& end) {
    ShapeEdge out;
    out.anchor = lerp.point(start.anchor, end.anchor);
    if (start.curved || end.curved) {
        out.curved = true;
        out.control = lerp.point(ControlOf(startPen, start), ControlOf(endPen, end));
    }
    return out;
}

std::uint32_t Limited(std::uint32_t index, std::size_t count) {
    return index <= count ? index : 0;
}

void InterpolateEdges(const MorphShape& morph, const Lerp& lerp, Shape& out) {
    EdgeCursor start(morph.start.paths), end(morph.end.paths);
    ShapePath path;
    while (!start.done() && !end.done()) {
        if (start.atPathStart() || end.atPathStart()) {
            if (!path.edges.empty()) out.paths.push_back(std::move(path));
            path = ShapePath{};
            path.fill0 = Limited(start.path().fill0, out.fills.size());
            path.fill1 = Limited(start.path().fill1, out.fills.size());
            path.line = Limited(start.path().line, out.lines.size());
            path.start = lerp.point(start.pen(), end.pen());
        }
        path.edges.push_back(EdgeBetween(lerp, start.pen(), start.edge(), end.pen(), end.edge()));
        start.next();
        end.next();
    }
    if (!path.edges.empty()) out.paths.push_back(std::move(path));
}

}  // namespace

Shape InterpolateMorph(const MorphShape& morph, std::uint16_t ratio) {
    const Lerp lerp{ratio / 65535.0};
    Shape out;
    out.id = morph.id;
    out.version = 3;
    out.bounds = lerp.rect(morph.start.bounds, morph.end.bounds);
    out.edgeBounds = lerp.rect(morph.start.edgeBounds, morph.end.edgeBounds);
    const std::size_t fills = std::min(morph.start.fills.size(), morph.end.fills.size());
    out.fills.reserve(fills);
    for (std::size_t i = 0; i < fills; ++i)
        out.fills.push_back(lerp.fill(morph.start.fills[i], morph.end.fills[i]));
    const std::size_t lines = std::min(morph.start.lines.size(), morph.end.lines.size());
    out.lines.reserve(lines);
    for (std::size_t i = 0; i < lines; ++i)
        out.lines.push_back(lerp.line(morph.start.lines[i], morph.end.lines[i]));
    InterpolateEdges(morph, lerp, out);
    return out;
}

}  // namespace saver::swf
