// Everything is rasterised in device pixels: the shape's points are transformed first and its
// quadratic curves flattened there, so the flattening tolerance is a fraction of a pixel at any
// zoom. The compound rasteriser's cover sign only tells the two sides of an edge apart and is
// dropped per style, so a closed region fills the same whichever way its outline runs; what
// matters is that every edge names the styles on both of its sides, which SWF shapes do.
//
// Colours are premultiplied throughout (the layered compound renderer sums weighted colours of
// the styles meeting in a pixel), and the target format blends premultiplied sources.
#include "swf/ShapeRasterizer.h"

#include <agg_conv_stroke.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_compound_aa.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "swf/FillPaint.h"

namespace saver::swf {

namespace {

using PixelFormat = agg::pixfmt_bgra32_pre;
using BaseRenderer = agg::renderer_base<PixelFormat>;
using FillRasterizer = agg::rasterizer_compound_aa<agg::rasterizer_sl_clip_dbl>;
using LineRasterizer = agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl>;

constexpr double kCurveTolerance = 0.05;  // pixels between a curve and its chords
constexpr int kMaxCurveSegments = 256;
constexpr double kMinLineWidth = 1.0;  // pixels
// Strokes are clipped to the target widened by this margin, so caps and joins just outside
// are not cut into a visible straight edge.
constexpr double kClipMargin = 4.0;

// A scanline whose covers can be forced to all or nothing (no anti-aliasing): a pixel that is
// at least half covered is painted fully. The rasterisers fill it through add_cell and
// add_span only.
class ThresholdScanline : public agg::scanline_u8 {
  public:
    bool aliased = false;
    void add_cell(int x, unsigned cover) { scanline_u8::add_cell(x, level(cover)); }
    void add_span(int x, unsigned len, unsigned cover) {
        scanline_u8::add_span(x, len, level(cover));
    }

  private:
    unsigned level(unsigned cover) const {
        if (!aliased) return cover;
        return cover >= agg::cover_full / 2 + 1 ? agg::cover_full : 0;
    }
};

// The style handler of the compound renderer: style i is fill i + 1 of the shape.
struct FillStyles {
    const std::vector<FillPaint>* paints;
    bool is_solid(unsigned style) const { return (*paints)[style].isSolid(); }
    const agg::rgba8& color(unsigned style) const { return (*paints)[style].color(); }
    void generate_span(agg::rgba8* span, int x, int y, unsigned len, unsigned style) const {
        (*paints)[style].generate(span, x, y, len);
    }
};

// A span generator that paints strokes with a gradient.
struct PaintSpans {
    const FillPaint* paint;
    void prepare() {}
    void generate(agg::rgba8* span, int x, int y, unsigned len) const {
        paint->generate(span, x, y, len);
    }
};

struct PixelPoint {
    double x, y;
};

PixelPoint ToPixels(const Matrix& m, Point p) {
    PixelPoint out;
    m.apply(p.x, p.y, out.x, out.y);
    return out;
}

// Calls lineTo for the points of the quadratic curve from p0 through c to p1, p0 excluded.
// The chord error of n even steps is |p0 - 2c + p1| / (4 n^2).
template <class LineTo>
void FlattenCurve(PixelPoint p0, PixelPoint c, PixelPoint p1, LineTo&& lineTo) {
    const double ax = p0.x - 2 * c.x + p1.x, ay = p0.y - 2 * c.y + p1.y;
    const double bend = std::sqrt(ax * ax + ay * ay);
    const double wanted = std::ceil(std::sqrt(bend / (4 * kCurveTolerance)));
    const int n = static_cast<int>(std::clamp(wanted, 1.0, double(kMaxCurveSegments)));
    const double bx = 2 * (c.x - p0.x), by = 2 * (c.y - p0.y);
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n;
        lineTo(p0.x + t * (bx + t * ax), p0.y + t * (by + t * ay));
    }
    lineTo(p1.x, p1.y);
}

// Feeds a path's edges (its start point excluded) to lineTo in pixels.
template <class LineTo>
void TraceEdges(const ShapePath& path, const Matrix& m, LineTo&& lineTo) {
    PixelPoint pen = ToPixels(m, path.start);
    for (const ShapeEdge& e : path.edges) {
        const PixelPoint to = ToPixels(m, e.anchor);
        if (e.curved)
            FlattenCurve(pen, ToPixels(m, e.control), to, lineTo);
        else
            lineTo(to.x, to.y);
        pen = to;
    }
}

agg::line_cap_e CapOf(CapStyle cap) {
    switch (cap) {
        case CapStyle::None:
            return agg::butt_cap;
        case CapStyle::Square:
            return agg::square_cap;
        default:
            return agg::round_cap;
    }
}

agg::line_join_e JoinOf(JoinStyle join) {
    switch (join) {
        case JoinStyle::Bevel:
            return agg::bevel_join;
        case JoinStyle::Miter:
            return agg::miter_join;
        default:
            return agg::round_join;
    }
}

double ScaleOf(const Matrix& m) {
    return std::sqrt(std::fabs(m.a * m.d - m.b * m.c));
}

}  // namespace

struct ShapeRasterizer::Impl {
    agg::rendering_buffer buffer;
    PixelFormat pixels{buffer};
    BaseRenderer renderer{pixels};
    FillRasterizer fillRaster;
    LineRasterizer lineRaster;
    ThresholdScanline scanline;
    agg::span_allocator<agg::rgba8> spans;
    std::vector<FillPaint> paints;
    FillPaint linePaint;
    agg::path_storage linePath;
    agg::conv_stroke<agg::path_storage> stroke{linePath};
    std::vector<std::pair<std::uint32_t, std::uint32_t>> lineOrder;  // (line style, path)

    void drawFills(const Shape& shape, const Matrix& m, const ColorTransform& cx);
    void drawLines(const Shape& shape, const Matrix& m, const ColorTransform& cx,
                   double stageScale);
    void traceLine(const Shape& shape, std::size_t first, std::size_t last, const Matrix& m);
    void strokeLine(const LineStyle& style, const Matrix& m, const ColorTransform& cx,
                    double stageScale);
};

ShapeRasterizer::ShapeRasterizer() : impl_(std::make_unique<Impl>()) {}
ShapeRasterizer::~ShapeRasterizer() = default;

void ShapeRasterizer::begin(BgraImage& image, bool aliased) {
    Impl& s = *impl_;
    s.buffer.attach(image.pixels.data(), static_cast<unsigned>(image.width),
                    static_cast<unsigned>(image.height), image.width * 4);
    s.pixels.attach(s.buffer);
    s.renderer.attach(s.pixels);
    s.scanline.aliased = aliased;
    s.fillRaster.clip_box(0, 0, image.width, image.height);
    s.lineRaster.clip_box(-kClipMargin, -kClipMargin, image.width + kClipMargin,
                          image.height + kClipMargin);
}

void ShapeRasterizer::draw(const Shape& shape, const Matrix& toPixels, const ColorTransform& cx,
                           double stageScale) {
    if (impl_->renderer.width() == 0 || impl_->renderer.height() == 0) return;
    if (!shape.fills.empty()) impl_->drawFills(shape, toPixels, cx);
    if (!shape.lines.empty()) impl_->drawLines(shape, toPixels, cx, stageScale);
}

void ShapeRasterizer::Impl::drawFills(const Shape& shape, const Matrix& m,
                                      const ColorTransform& cx) {
    const std::size_t count = shape.fills.size();
    auto styleOf = [count](std::uint32_t fill) {
        return fill >= 1 && fill <= count ? static_cast<int>(fill) - 1 : -1;
    };
    fillRaster.reset();
    fillRaster.filling_rule(shape.nonZeroWinding ? agg::fill_non_zero : agg::fill_even_odd);
    bool any = false;
    for (const ShapePath& path : shape.paths) {
        const int left = styleOf(path.fill0), right = styleOf(path.fill1);
        if (left == right || path.edges.empty())
            continue;  // no fill, or the same fill on both sides: the edge changes nothing
        fillRaster.styles(left, right);
        const PixelPoint start = ToPixels(m, path.start);
        fillRaster.move_to_d(start.x, start.y);
        TraceEdges(path, m, [this](double x, double y) { fillRaster.line_to_d(x, y); });
        any = true;
    }
    if (!any) return;

    paints.resize(count);
    for (std::size_t i = 0; i < count; ++i) paints[i].prepare(shape.fills[i], m, cx);
    FillStyles styles{&paints};
    agg::render_scanlines_compound_layered(fillRaster, scanline, renderer, spans, styles);
}

void ShapeRasterizer::Impl::drawLines(const Shape& shape, const Matrix& m, const ColorTransform& cx,
                                      double stageScale) {
    lineOrder.clear();
    for (std::size_t i = 0; i < shape.paths.size(); ++i) {
        const std::uint32_t line = shape.paths[i].line;
        if (line >= 1 && line <= shape.lines.size() && !shape.paths[i].edges.empty())
            lineOrder.emplace_back(line, static_cast<std::uint32_t>(i));
    }
    std::sort(lineOrder.begin(), lineOrder.end());
    for (std::size_t first = 0; first < lineOrder.size();) {
        std::size_t last = first;
        while (last < lineOrder.size() && lineOrder[last].first == lineOrder[first].first) ++last;
        traceLine(shape, first, last, m);
        strokeLine(shape.lines[lineOrder[first].first - 1], m, cx, stageScale);
        first = last;
    }
}

// Builds the outline of one line style from its paths lineOrder[first, last): a path that
// starts where the previous one ended continues it; an outline back at its start is closed.
void ShapeRasterizer::Impl::traceLine(const Shape& shape, std::size_t first, std::size_t last,
                                      const Matrix& m) {
    const bool mayClose = !shape.lines[lineOrder[first].first - 1].noClose;
    linePath.remove_all();
    Point contourStart, pen;
    bool open = false;
    auto finishContour = [&] {
        if (open && mayClose && pen == contourStart) linePath.close_polygon();
    };
    for (std::size_t k = first; k < last; ++k) {
        const ShapePath& path = shape.paths[lineOrder[k].second];
        if (!open || !(path.start == pen)) {
            finishContour();
            const PixelPoint start = ToPixels(m, path.start);
            linePath.move_to(start.x, start.y);
            contourStart = path.start;
            open = true;
        }
        TraceEdges(path, m, [this](double x, double y) { linePath.line_to(x, y); });
        pen = path.edges.back().anchor;
    }
    finishContour();
}

void ShapeRasterizer::Impl::strokeLine(const LineStyle& style, const Matrix& m,
                                       const ColorTransform& cx, double stageScale) {
    const double scale = style.noHScale || style.noVScale ? stageScale : ScaleOf(m);
    const double width = std::max(style.width * scale, kMinLineWidth);
    stroke.width(width);
    stroke.line_cap(CapOf(style.startCap));
    stroke.line_join(JoinOf(style.join));
    stroke.miter_limit(std::max(style.miterLimit, 1.0));

    lineRaster.reset();
    lineRaster.filling_rule(agg::fill_non_zero);
    lineRaster.add_path(stroke);

    if (style.fill) {
        linePaint.prepare(*style.fill, m, cx);
    } else {
        FillStyle solid;
        solid.color = style.color;
        linePaint.prepare(solid, m, cx);
    }
    if (linePaint.isSolid()) {
        agg::render_scanlines_aa_solid(lineRaster, scanline, renderer, linePaint.color());
    } else {
        PaintSpans generator{&linePaint};
        agg::render_scanlines_aa(lineRaster, scanline, renderer, spans, generator);
    }
}

}  // namespace saver::swf
