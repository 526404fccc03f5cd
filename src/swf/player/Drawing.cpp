// The picture is kept as layers of outlines rather than as a Shape, because a fill is only
// finished when it is closed; the Shape is built from them when it is drawn or measured and
// kept until the next change, so a clip drawn once costs nothing per frame.
#include "swf/player/Drawing.h"

#include <algorithm>
#include <cmath>

namespace saver::swf {

namespace {

void Grow(Rect& r, bool& any, double x, double y, double pad) {
    const auto lo = [](double v) { return static_cast<std::int32_t>(std::floor(v)); };
    const auto hi = [](double v) { return static_cast<std::int32_t>(std::ceil(v)); };
    if (!any) {
        r = {lo(x - pad), hi(x + pad), lo(y - pad), hi(y + pad)};
        any = true;
        return;
    }
    r.xMin = std::min(r.xMin, lo(x - pad));
    r.xMax = std::max(r.xMax, hi(x + pad));
    r.yMin = std::min(r.yMin, lo(y - pad));
    r.yMax = std::max(r.yMax, hi(y + pad));
}

// The points of a quadratic curve that bound it: its ends and the turning point per axis.
void GrowCurve(Rect& r, bool& any, Point from, const ShapeEdge& e, double pad) {
    Grow(r, any, e.anchor.x, e.anchor.y, pad);
    if (!e.curved) return;
    auto extreme = [&](double p0, double p1, double p2, double& t) {
        const double denom = p0 - 2 * p1 + p2;
        if (denom == 0) return false;
        t = (p0 - p1) / denom;
        return t > 0 && t < 1;
    };
    auto at = [](double p0, double p1, double p2, double t) {
        return (1 - t) * (1 - t) * p0 + 2 * (1 - t) * t * p1 + t * t * p2;
    };
    double t = 0;
    if (extreme(from.x, e.control.x, e.anchor.x, t))
        Grow(r, any, at(from.x, e.control.x, e.anchor.x, t), at(from.y, e.control.y, e.anchor.y, t),
             pad);
    if (extreme(from.y, e.control.y, e.anchor.y, t))
        Grow(r, any, at(from.x, e.control.x, e.anchor.x, t), at(from.y, e.control.y, e.anchor.y, t),
             pad);
}

void GrowOutline(Rect& r, bool& any, Point start, const std::vector<ShapeEdge>& edges, double pad) {
    Grow(r, any, start.x, start.y, pad);
    Point pen = start;
    for (const ShapeEdge& e : edges) {
        GrowCurve(r, any, pen, e, pad);
        pen = e.anchor;
    }
}

}  // namespace

void Drawing::clear() {
    *this = Drawing{};
}

void Drawing::lineStyle(const LineStyle& style) {
    flushStroke();
    stroke_ = Stroke{style, {Outline{pen_, {}}}};
    shape_.reset();
}

void Drawing::noLineStyle() {
    flushStroke();
    stroke_.reset();
    shape_.reset();
}

void Drawing::lineFill(const FillStyle& fill) {
    if (!stroke_) return;
    LineStyle style = stroke_->style;
    style.fill = fill;
    lineStyle(style);
}

void Drawing::beginFill(const FillStyle& fill) {
    closeFill();
    fill_ = Layer{fill, {Outline{pen_, {}}}, {}};
    shape_.reset();
}

void Drawing::beginBitmapFill(const FillStyle& fill, std::shared_ptr<BitmapSurface> surface) {
    // A script refilling with the same surface over and over keeps one reference.
    if (std::find(surfaces_.begin(), surfaces_.end(), surface) == surfaces_.end())
        surfaces_.push_back(std::move(surface));
    beginFill(fill);
}

void Drawing::endFill() {
    closeFill();
    shape_.reset();
}

void Drawing::moveTo(Point to) {
    if (fill_) {
        Outline& last = fill_->outlines.back();
        if (!(pen_ == last.start) && !last.edges.empty()) {
            last.edges.push_back({false, {}, last.start});
            if (stroke_) stroke_->outlines.back().edges.push_back({false, {}, last.start});
        }
        fill_->outlines.push_back({to, {}});
    }
    if (stroke_) stroke_->outlines.push_back({to, {}});
    pen_ = to;
    shape_.reset();
}

void Drawing::lineTo(Point to) {
    addEdge({false, {}, to});
}

void Drawing::curveTo(Point control, Point anchor) {
    addEdge({true, control, anchor});
}

void Drawing::addEdge(const ShapeEdge& edge) {
    if (edgeCount_ < kMaxDrawingEdges && (fill_ || stroke_)) {
        if (fill_) fill_->outlines.back().edges.push_back(edge);
        if (stroke_) stroke_->outlines.back().edges.push_back(edge);
        ++edgeCount_;
        shape_.reset();
    }
    pen_ = edge.anchor;
}

// Strokes drawn so far go below whatever comes next; the style stays in force.
void Drawing::flushStroke() {
    if (!stroke_) return;
    Stroke done{stroke_->style, {}};
    for (Outline& o : stroke_->outlines)
        if (!o.edges.empty()) done.outlines.push_back(std::move(o));
    stroke_->outlines = {Outline{pen_, {}}};
    if (done.outlines.empty()) return;
    if (fill_)
        fill_->strokes.push_back(std::move(done));
    else
        layers_.push_back(Layer{std::nullopt, {}, {std::move(done)}});
}

// Closing a fill draws the edge back to where its outline started, stroked with the line
// style in force; the pen follows it there.
void Drawing::closeFill() {
    if (!fill_) return;
    Outline& last = fill_->outlines.back();
    if (!last.edges.empty() && !(pen_ == last.start)) {
        last.edges.push_back({false, {}, last.start});
        if (stroke_) stroke_->outlines.back().edges.push_back({false, {}, last.start});
        pen_ = last.start;
    }
    flushStroke();
    Layer done{fill_->fill, {}, std::move(fill_->strokes)};
    for (Outline& o : fill_->outlines)
        if (!o.edges.empty()) done.outlines.push_back(std::move(o));
    fill_.reset();
    if (!done.outlines.empty() || !done.strokes.empty()) layers_.push_back(std::move(done));
}

bool Drawing::empty() const {
    return edgeCount_ == 0;
}

const Shape& Drawing::shape() const {
    if (!shape_) build(shape_.emplace());
    return *shape_;
}

// An open fill and stroke are shown as they would be closed now, on a copy.
void Drawing::build(Shape& out) const {
    out = Shape{};
    out.version = 4;
    std::vector<const Layer*> layers;
    for (const Layer& l : layers_) layers.push_back(&l);
    std::optional<Drawing> closed;
    const bool strokeOpen =
        stroke_ && std::any_of(stroke_->outlines.begin(), stroke_->outlines.end(),
                               [](const Outline& o) { return !o.edges.empty(); });
    if (fill_ || strokeOpen) {
        closed = *this;
        closed->shape_.reset();
        closed->flushStroke();
        closed->closeFill();
        for (std::size_t i = layers_.size(); i < closed->layers_.size(); ++i)
            layers.push_back(&closed->layers_[i]);
    }
    bool anyBounds = false;
    for (const Layer* layer : layers) {
        if (!out.paths.empty())
            out.layerStarts.push_back(static_cast<std::uint32_t>(out.paths.size()));
        if (layer->fill) {
            out.fills.push_back(*layer->fill);
            const auto index = static_cast<std::uint32_t>(out.fills.size());
            for (const Outline& o : layer->outlines) {
                out.paths.push_back({0, index, 0, o.start, o.edges});
                GrowOutline(out.bounds, anyBounds, o.start, o.edges, 0);
            }
        }
        for (const Stroke& s : layer->strokes) {
            out.lines.push_back(s.style);
            const auto index = static_cast<std::uint32_t>(out.lines.size());
            for (const Outline& o : s.outlines) {
                out.paths.push_back({0, 0, index, o.start, o.edges});
                GrowOutline(out.bounds, anyBounds, o.start, o.edges, s.style.width / 2.0);
            }
        }
    }
    out.edgeBounds = out.bounds;
}

std::optional<Rect> Drawing::bounds() const {
    const Shape& s = shape();
    if (s.paths.empty()) return std::nullopt;
    return s.bounds;
}

void Drawing::collect(const Matrix& matrix, const ColorTransform& color, ClipRole role,
                      std::vector<RenderItem>& out) const {
    if (empty()) return;
    const Shape& s = shape();
    if (s.paths.empty() || (role == ClipRole::Mask && s.fills.empty())) return;
    out.push_back({&s, matrix, role == ClipRole::Mask ? ColorTransform{} : color, role});
}

}  // namespace saver::swf
