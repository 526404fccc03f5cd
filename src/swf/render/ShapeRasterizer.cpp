// Fills are rasterised in device pixels: the shape's points are transformed first and its
// quadratic curves flattened there, so the flattening tolerance is a fraction of a pixel at any
// zoom (lines that scale are flattened and stroked in shape units with the tolerance scaled to
// match, see strokeLine). The compound rasteriser's cover sign only tells the two sides of an edge
// apart and is dropped per style, so a closed region fills the same whichever way its outline runs;
// what matters is that every edge names the styles on both of its sides, which SWF shapes do.
//
// Colours are premultiplied throughout: where several styles meet in a pixel their weighted
// colours are summed before the one blend. Scanlines are painted here rather than through
// AGG's pixel-format renderers: fully covered opaque runs become plain stores, which is most
// of a frame.
#include "swf/render/ShapeRasterizer.h"

#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_path_storage.h>
#include <agg_rasterizer_compound_aa.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "swf/render/AliasedRasterizer.h"
#include "swf/render/AliasedStroker.h"
#include "swf/render/CurveFlattener.h"
#include "swf/render/FillPaint.h"
#include "swf/render/RowExtents.h"
#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

using FillRasterizer = agg::rasterizer_compound_aa<agg::rasterizer_sl_clip_dbl>;
using LineRasterizer = agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl>;

constexpr double kCurveTolerance = 0.05;  // pixels between a curve and its chords
constexpr int kMaxCurveSegments = 256;
constexpr double kMinLineWidth = 1.0;  // pixels
// Without anti-aliasing, curves are flattened in the shape's own units, within a tenth of a
// pixel at the shape's scale (two twips), as the reference pictures of low quality show them;
// at a zoom that would make chords visible, within a quarter of a target pixel.
constexpr double kShapeTolerance = 2.0;        // twips
constexpr double kMaxAliasedDeviation = 0.25;  // pixels
// Round caps and joins get more points the wider the line; far beyond any screen the width no
// longer changes what is seen, so it is capped there.
constexpr double kMaxLineWidth = 100000.0;
// Round joins and caps of aliased lines measured in pixels keep within this of their circle.
constexpr double kAliasedArcTolerance = 0.1;  // pixels
// Strokes are clipped to the target widened by this margin, so caps and joins just outside
// are not cut into a visible straight edge.
constexpr double kClipMargin = 4.0;

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
void FlattenCurve(PixelPoint p0, PixelPoint c, PixelPoint p1, double tolerance, LineTo&& lineTo) {
    const double ax = p0.x - 2 * c.x + p1.x, ay = p0.y - 2 * c.y + p1.y;
    const double bend = std::sqrt(ax * ax + ay * ay);
    const double wanted = std::ceil(std::sqrt(bend / (4 * tolerance)));
    const int n = static_cast<int>(std::clamp(wanted, 1.0, double(kMaxCurveSegments)));
    const double bx = 2 * (c.x - p0.x), by = 2 * (c.y - p0.y);
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n;
        lineTo(p0.x + t * (bx + t * ax), p0.y + t * (by + t * ay));
    }
    lineTo(p1.x, p1.y);
}

// Feeds a path's edges (its start point excluded) to lineTo, mapped by m. Curves keep within
// `tolerance` of their chords: in the units m maps to, or with `inShape` in the path's own
// units (the chords are made there, then mapped).
template <class LineTo>
void TraceEdges(const ShapePath& path, const Matrix& m, LineTo&& lineTo,
                double tolerance = kCurveTolerance, bool inShape = false) {
    if (inShape) {
        CurvePoint from{double(path.start.x), double(path.start.y)};
        auto mapped = [&m, &lineTo](double x, double y) {
            double px = 0, py = 0;
            m.apply(x, y, px, py);
            lineTo(px, py);
        };
        for (const ShapeEdge& e : path.edges) {
            const CurvePoint to{double(e.anchor.x), double(e.anchor.y)};
            if (e.curved)
                FlattenQuadratic(from, {double(e.control.x), double(e.control.y)}, to, tolerance,
                                 kMaxCurveSegments, mapped);
            else
                mapped(to.x, to.y);
            from = to;
        }
        return;
    }
    PixelPoint pen = ToPixels(m, path.start);
    for (const ShapeEdge& e : path.edges) {
        const PixelPoint to = ToPixels(m, e.anchor);
        if (e.curved)
            FlattenCurve(pen, ToPixels(m, e.control), to, tolerance, lineTo);
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

// The largest factor by which m stretches any direction.
double MaxStretch(const Matrix& m) {
    const double sum = m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d;
    const double det = m.a * m.d - m.b * m.c;
    return std::sqrt((sum + std::sqrt(std::max(sum * sum - 4 * det * det, 0.0))) / 2);
}

// The flattening tolerance of aliased drawing, in shape twips, for a shape drawn with m.
double AliasedTolerance(const Matrix& m) {
    const double stretch = MaxStretch(m);
    return stretch > 0 ? std::min(kShapeTolerance, kMaxAliasedDeviation / stretch)
                       : kShapeTolerance;
}

}  // namespace

struct ShapeRasterizer::Impl {
    agg::rendering_buffer buffer;
    FillRasterizer fillRaster;
    LineRasterizer lineRaster;
    agg::scanline32_u8 scanline;
    bool aliased = false;  // pixels are sampled at their centres (AliasedRasterizer)
    AliasedRasterizer centreRaster;
    AliasedStroker aliasedStroker;
    std::vector<agg::cover_type> fullCovers;  // a row of full covers for aliased runs
    std::vector<std::uint32_t> colorBuffer;   // a row of generated colours, then a row to mix in
    const std::uint8_t* clipMask = nullptr;   // setMask
    std::uint8_t* maskTarget = nullptr;       // drawMask: coverage goes here, not colours
    RowExtents* drawn = nullptr;              // setDrawnRows
    std::vector<agg::cover_type> maskedCovers;
    std::vector<FillPaint> paints;
    FillPaint linePaint;
    BitmapSource bitmapSource;  // of the shape being drawn
    agg::path_storage linePath;
    agg::conv_stroke<agg::path_storage> stroke{linePath};
    agg::trans_affine lineTransform;
    agg::conv_transform<agg::conv_stroke<agg::path_storage>, agg::trans_affine> strokeInPixels{
        stroke, lineTransform};
    std::vector<std::pair<std::uint32_t, std::uint32_t>> lineOrder;  // (line style, path)

    void drawFills(const Shape& shape, std::size_t first, std::size_t last, const Matrix& m);
    void drawLines(const Shape& shape, std::size_t first, std::size_t last, const Matrix& m,
                   const ColorTransform& cx, double stageScale);
    template <class Begin, class Trace, class End>
    void walkLineContours(const Shape& shape, std::size_t first, std::size_t last, Begin begin,
                          Trace trace, End end) const;
    void traceLine(const Shape& shape, std::size_t first, std::size_t last, const Matrix& m,
                   double tolerance, bool inShape);
    void strokeLine(const Shape& shape, std::size_t first, std::size_t last, const Matrix& m,
                    const ColorTransform& cx, double stageScale);

    std::uint32_t* reserveColors(int minX, int maxX);
    void paintScanline(const FillPaint& paint);
    void paintFills();
    void mixStyle(const FillPaint& paint, int minX, std::uint32_t* colors, std::uint32_t* mix,
                  agg::cover_type* budget);
    void paintLine(const FillPaint& paint);
    void prepareLinePaint(const LineStyle& style, const Matrix& m, const ColorTransform& cx);
    void traceAliasedLine(const Shape& shape, std::size_t first, std::size_t last, const Matrix& m,
                          double tolerance);
    void strokeAliased(const AliasedStroker::Style& style, const Matrix& toPixels);
    void paintRun(const FillPaint& paint, int y, int x, unsigned len);
    const agg::cover_type* clipCovers(const agg::cover_type* covers, int x, int y, unsigned len);
    void addToMask(const agg::cover_type* covers, int x, int y, unsigned len);
};

ShapeRasterizer::ShapeRasterizer() : impl_(std::make_unique<Impl>()) {}
ShapeRasterizer::~ShapeRasterizer() = default;

void ShapeRasterizer::begin(BgraImage& image, bool aliased) {
    Impl& s = *impl_;
    s.buffer.attach(image.pixels.data(), static_cast<unsigned>(image.width),
                    static_cast<unsigned>(image.height), image.width * 4);
    s.aliased = aliased;
    s.centreRaster.reset(image.width, image.height);
    s.fullCovers.assign(static_cast<std::size_t>(image.width), agg::cover_full);
    s.fillRaster.clip_box(0, 0, image.width, image.height);
    s.lineRaster.clip_box(-kClipMargin, -kClipMargin, image.width + kClipMargin,
                          image.height + kClipMargin);
}

void ShapeRasterizer::draw(const Shape& shape, const Matrix& matrix, const ColorTransform& cx,
                           double stageScale, const BitmapLibrary* bitmaps) {
    Impl& s = *impl_;
    s.bitmapSource = {bitmaps, !s.aliased};
    const Matrix& toPixels = matrix;
    if (s.buffer.width() == 0 || s.buffer.height() == 0) return;
    s.paints.resize(shape.fills.size());
    for (std::size_t i = 0; i < shape.fills.size(); ++i)
        s.paints[i].prepare(shape.fills[i], toPixels, cx, s.bitmapSource);
    // Layer by layer; starts out of order or out of range are ignored.
    std::size_t first = 0;
    const std::size_t end = shape.paths.size();
    for (std::size_t k = 0; k <= shape.layerStarts.size(); ++k) {
        const std::size_t next = k < shape.layerStarts.size() ? shape.layerStarts[k] : end;
        if (next < first || next > end) continue;
        if (!shape.fills.empty()) s.drawFills(shape, first, next, toPixels);
        if (!shape.lines.empty()) s.drawLines(shape, first, next, toPixels, cx, stageScale);
        first = next;
    }
}

void ShapeRasterizer::setMask(const std::uint8_t* mask) {
    impl_->clipMask = mask;
}

void ShapeRasterizer::setDrawnRows(RowExtents* drawn) {
    impl_->drawn = drawn;
}

void ShapeRasterizer::drawMask(const Shape& shape, const Matrix& toPixels, std::uint8_t* mask) {
    Impl& s = *impl_;
    if (s.buffer.width() == 0 || s.buffer.height() == 0 || shape.fills.empty()) return;
    const Matrix& m = toPixels;
    // The compound pass still mixes colours where styles meet; solid paints keep that cheap.
    s.paints.resize(shape.fills.size());
    for (std::size_t i = 0; i < shape.fills.size(); ++i) s.paints[i].prepare(FillStyle{}, m, {});
    s.maskTarget = mask;
    s.drawFills(shape, 0, shape.paths.size(), m);
    s.maskTarget = nullptr;
}

// Fills of the paths [first, last).
void ShapeRasterizer::Impl::drawFills(const Shape& shape, std::size_t first, std::size_t last,
                                      const Matrix& m) {
    const std::size_t count = shape.fills.size();
    auto styleOf = [count](std::uint32_t fill) {
        return fill >= 1 && fill <= count ? static_cast<int>(fill) - 1 : -1;
    };
    if (aliased) {
        centreRaster.reset(static_cast<int>(buffer.width()), static_cast<int>(buffer.height()));
        centreRaster.setNonZero(shape.nonZeroWinding);
    } else {
        fillRaster.reset();
        fillRaster.filling_rule(shape.nonZeroWinding ? agg::fill_non_zero : agg::fill_even_odd);
    }
    bool any = false;
    const double tolerance = AliasedTolerance(m);
    for (std::size_t i = first; i < last; ++i) {
        const ShapePath& path = shape.paths[i];
        const int left = styleOf(path.fill0), right = styleOf(path.fill1);
        if (left == right || path.edges.empty())
            continue;  // no fill, or the same fill on both sides: the edge changes nothing
        const PixelPoint start = ToPixels(m, path.start);
        if (aliased) {
            centreRaster.styles(left, right);
            centreRaster.moveTo(start.x, start.y);
            TraceEdges(
                path, m, [this](double x, double y) { centreRaster.lineTo(x, y); }, tolerance,
                true);
        } else {
            fillRaster.styles(left, right);
            fillRaster.move_to_d(start.x, start.y);
            TraceEdges(path, m, [this](double x, double y) { fillRaster.line_to_d(x, y); });
        }
        any = true;
    }
    if (!any) return;
    if (aliased)
        centreRaster.sweep([this](int y, int x0, int x1, int style) {
            paintRun(paints[static_cast<std::size_t>(style)], y, x0, unsigned(x1 - x0));
        });
    else
        paintFills();
}

// Lines of the paths [first, last), one line style after the other.
void ShapeRasterizer::Impl::drawLines(const Shape& shape, std::size_t first, std::size_t last,
                                      const Matrix& m, const ColorTransform& cx,
                                      double stageScale) {
    lineOrder.clear();
    for (std::size_t i = first; i < last; ++i) {
        const std::uint32_t line = shape.paths[i].line;
        if (line >= 1 && line <= shape.lines.size() && !shape.paths[i].edges.empty())
            lineOrder.emplace_back(line, static_cast<std::uint32_t>(i));
    }
    std::sort(lineOrder.begin(), lineOrder.end());
    for (std::size_t from = 0; from < lineOrder.size();) {
        std::size_t to = from;
        while (to < lineOrder.size() && lineOrder[to].first == lineOrder[from].first) ++to;
        strokeLine(shape, from, to, m, cx, stageScale);
        from = to;
    }
}

// Walks one line style's paths lineOrder[first, last) as contours: a path that starts where the
// previous one ended continues it; begin(start) opens a contour, trace(path) follows a path,
// end(closed) finishes one, closed when it is back at its start and the style may close.
template <class Begin, class Trace, class End>
void ShapeRasterizer::Impl::walkLineContours(const Shape& shape, std::size_t first,
                                             std::size_t last, Begin begin, Trace trace,
                                             End end) const {
    const bool mayClose = !shape.lines[lineOrder[first].first - 1].noClose;
    Point contourStart, pen;
    bool open = false;
    for (std::size_t k = first; k < last; ++k) {
        const ShapePath& path = shape.paths[lineOrder[k].second];
        if (!open || !(path.start == pen)) {
            if (open) end(mayClose && pen == contourStart);
            begin(path.start);
            contourStart = path.start;
            open = true;
        }
        trace(path);
        pen = path.edges.back().anchor;
    }
    if (open) end(mayClose && pen == contourStart);
}

// Builds the outline of one line style from its paths lineOrder[first, last).
void ShapeRasterizer::Impl::traceLine(const Shape& shape, std::size_t first, std::size_t last,
                                      const Matrix& m, double tolerance, bool inShape) {
    linePath.remove_all();
    walkLineContours(
        shape, first, last,
        [&](Point start) {
            const PixelPoint p = ToPixels(m, start);
            linePath.move_to(p.x, p.y);
        },
        [&](const ShapePath& path) {
            TraceEdges(
                path, m, [this](double x, double y) { linePath.line_to(x, y); }, tolerance,
                inShape);
        },
        [&](bool closed) {
            if (closed) linePath.close_polygon();
        });
}

// A line that scales with its shape is stroked in the shape's own units and the outline then
// mapped to pixels, so a stretched shape has its lines stretched with it. Lines thinner than a
// pixel there, and lines that keep their width, are stroked in pixels instead, with their
// width's pixel equivalent and at least one pixel.
void ShapeRasterizer::Impl::strokeLine(const Shape& shape, std::size_t first, std::size_t last,
                                       const Matrix& m, const ColorTransform& cx,
                                       double stageScale) {
    const LineStyle& style = shape.lines[lineOrder[first].first - 1];
    // A line that keeps its width along one axis still follows the other axis' scale.
    const bool fixedWidth = style.noHScale || style.noVScale;
    double scale = ScaleOf(m);
    if (style.noHScale && style.noVScale)
        scale = stageScale;
    else if (style.noHScale)
        scale = std::hypot(m.c, m.d);
    else if (style.noVScale)
        scale = std::hypot(m.a, m.b);
    const double pixelWidth = style.width * scale;
    const double stretch = MaxStretch(m);
    const bool inShape = !fixedWidth && pixelWidth >= kMinLineWidth && stretch > 0;
    // Aliased lines follow their curves as aliased fills do.
    const double tolerance = aliased ? AliasedTolerance(m) : kCurveTolerance;
    if (aliased) {
        AliasedStroker::Style outline;
        outline.startCap = style.startCap;
        outline.endCap = style.endCap;
        outline.join = style.join;
        outline.miterLimit = style.miterLimit;
        if (inShape) {
            outline.halfWidth = std::min(double(style.width), kMaxLineWidth / stretch) / 2;
            outline.tolerance = tolerance;
        } else {
            outline.halfWidth = std::clamp(pixelWidth, kMinLineWidth, kMaxLineWidth) / 2;
            outline.tolerance = kAliasedArcTolerance;
        }
        traceAliasedLine(shape, first, last, inShape ? Matrix{} : m, tolerance);
        prepareLinePaint(style, m, cx);
        strokeAliased(outline, inShape ? m : Matrix{});
        return;
    }
    if (inShape) {
        traceLine(shape, first, last, Matrix{}, aliased ? tolerance : tolerance / stretch, aliased);
        stroke.width(std::min(double(style.width), kMaxLineWidth / stretch));
        stroke.approximation_scale(stretch);
        lineTransform = agg::trans_affine(m.a, m.b, m.c, m.d, m.tx, m.ty);
    } else {
        traceLine(shape, first, last, m, tolerance, aliased);
        stroke.width(std::clamp(pixelWidth, kMinLineWidth, kMaxLineWidth));
        stroke.approximation_scale(1);
        lineTransform.reset();
    }
    stroke.line_cap(CapOf(style.startCap));
    stroke.line_join(JoinOf(style.join));
    stroke.miter_limit(std::max(style.miterLimit, 1.0));

    prepareLinePaint(style, m, cx);
    lineRaster.reset();
    lineRaster.filling_rule(agg::fill_non_zero);
    lineRaster.add_path(strokeInPixels);
    paintLine(linePaint);
}

void ShapeRasterizer::Impl::prepareLinePaint(const LineStyle& style, const Matrix& m,
                                             const ColorTransform& cx) {
    if (style.fill) {
        linePaint.prepare(*style.fill, m, cx, bitmapSource);
    } else {
        FillStyle solid;
        solid.color = style.color;
        linePaint.prepare(solid, m, cx);
    }
}

// The outline of one line style's paths lineOrder[first, last) for the aliased stroker, as
// traceLine builds it (curves flattened in the shape's units within `tolerance`, then mapped
// by m), each point marked whether it lies inside a curve.
void ShapeRasterizer::Impl::traceAliasedLine(const Shape& shape, std::size_t first,
                                             std::size_t last, const Matrix& m, double tolerance) {
    aliasedStroker.clear();
    walkLineContours(
        shape, first, last,
        [&](Point start) {
            const PixelPoint p = ToPixels(m, start);
            aliasedStroker.begin(p.x, p.y);
        },
        [&](const ShapePath& path) {
            CurvePoint from{double(path.start.x), double(path.start.y)};
            for (const ShapeEdge& e : path.edges) {
                const CurvePoint to{double(e.anchor.x), double(e.anchor.y)};
                auto add = [this, &m, &to](double x, double y) {
                    double px = 0, py = 0;
                    m.apply(x, y, px, py);
                    aliasedStroker.lineTo(px, py, !(x == to.x && y == to.y));
                };
                if (e.curved)
                    FlattenQuadratic(from, {double(e.control.x), double(e.control.y)}, to,
                                     tolerance, kMaxCurveSegments, add);
                else
                    add(to.x, to.y);
                from = to;
            }
        },
        [&](bool closed) { aliasedStroker.end(closed); });
}

// The stroke's pieces, sampled at pixel centres: one style, non-zero, painted with linePaint.
void ShapeRasterizer::Impl::strokeAliased(const AliasedStroker::Style& style,
                                          const Matrix& toPixels) {
    centreRaster.reset(static_cast<int>(buffer.width()), static_cast<int>(buffer.height()));
    centreRaster.setNonZero(true);
    centreRaster.styles(-1, 0);
    aliasedStroker.stroke(style, toPixels, centreRaster);
    centreRaster.sweep(
        [this](int row, int x0, int x1, int) { paintRun(linePaint, row, x0, unsigned(x1 - x0)); });
}

// Room for two rows of colours covering the columns minX..maxX.
std::uint32_t* ShapeRasterizer::Impl::reserveColors(int minX, int maxX) {
    const std::size_t width = static_cast<std::size_t>(maxX - minX + 2);
    if (colorBuffer.size() < width * 2) colorBuffer.resize(width * 2);
    return colorBuffer.data();
}

// Blends the scanline's spans, clipped to the target, in one paint.
void ShapeRasterizer::Impl::paintScanline(const FillPaint& paint) {
    const int y = scanline.y();
    if (y < 0 || y >= static_cast<int>(buffer.height())) return;
    const int width = static_cast<int>(buffer.width());
    std::uint8_t* row = buffer.row_ptr(y);
    auto span = scanline.begin();
    for (unsigned n = scanline.num_spans(); n > 0; --n, ++span) {
        const int x0 = std::max(static_cast<int>(span->x), 0);
        const int x1 = std::min(span->x + static_cast<int>(span->len), width);
        if (x0 >= x1) continue;
        const unsigned len = static_cast<unsigned>(x1 - x0);
        const agg::cover_type* covers = span->covers + (x0 - span->x);
        if (maskTarget != nullptr) {
            addToMask(covers, x0, y, len);
            continue;
        }
        paint.blend(row, x0, y, len, clipCovers(covers, x0, y, len));
        if (drawn != nullptr) drawn->add(y, x0, x1);
    }
}

// The covers of a run weighted by the clip mask (the run itself when there is none).
const agg::cover_type* ShapeRasterizer::Impl::clipCovers(const agg::cover_type* covers, int x,
                                                         int y, unsigned len) {
    if (clipMask == nullptr) return covers;
    if (maskedCovers.size() < len) maskedCovers.resize(len);
    const std::uint8_t* mask = clipMask + static_cast<std::size_t>(y) * buffer.width() + x;
    for (unsigned k = 0; k < len; ++k)
        maskedCovers[k] = static_cast<agg::cover_type>(
            covers != nullptr ? MulDiv255(covers[k], mask[k]) : mask[k]);
    return maskedCovers.data();
}

void ShapeRasterizer::Impl::addToMask(const agg::cover_type* covers, int x, int y, unsigned len) {
    std::uint8_t* mask = maskTarget + static_cast<std::size_t>(y) * buffer.width() + x;
    for (unsigned k = 0; k < len; ++k)
        mask[k] = static_cast<std::uint8_t>(std::min(255u, unsigned(mask[k]) + covers[k]));
}

// The compound rasteriser's scanlines: where one style is present its spans are painted
// directly; where several meet, their weighted colours are summed into a mix row first (each
// pixel's covers capped at full, so overlapping styles cannot over-paint) and the mix row is
// blended once.
void ShapeRasterizer::Impl::paintFills() {
    if (!fillRaster.rewind_scanlines()) return;
    const int minX = fillRaster.min_x();
    scanline.reset(minX, fillRaster.max_x());
    std::uint32_t* colors = reserveColors(minX, fillRaster.max_x());
    const unsigned width = static_cast<unsigned>(fillRaster.max_x() - minX + 2);
    std::uint32_t* mix = colors + width;
    agg::cover_type* budget = fillRaster.allocate_cover_buffer(width);
    const int targetW = static_cast<int>(buffer.width());
    const int targetH = static_cast<int>(buffer.height());
    while (unsigned styles = fillRaster.sweep_styles()) {
        if (styles == 1) {
            if (fillRaster.sweep_scanline(scanline, 0)) paintScanline(paints[fillRaster.style(0)]);
            continue;
        }
        const int start = fillRaster.scanline_start();
        const unsigned len = fillRaster.scanline_length();
        if (len == 0) continue;
        std::fill_n(mix + (start - minX), len, 0u);
        std::fill_n(budget + (start - minX), len, agg::cover_type(0));
        int y = -1;
        for (unsigned i = 0; i < styles; ++i) {
            if (fillRaster.sweep_scanline(scanline, static_cast<int>(i))) {
                y = scanline.y();
                mixStyle(paints[fillRaster.style(i)], minX, colors, mix, budget);
            }
        }
        const int x0 = std::max(start, 0);
        const int x1 = std::min(start + static_cast<int>(len), targetW);
        if (y < 0 || y >= targetH || x0 >= x1) continue;
        const unsigned run = static_cast<unsigned>(x1 - x0);
        if (maskTarget != nullptr)
            addToMask(budget + (x0 - minX), x0, y, run);
        else
            BlendBgra(buffer.row_ptr(y) + x0 * 4, mix + (x0 - minX),
                      clipCovers(nullptr, x0, y, run), run);
        if (maskTarget == nullptr && drawn != nullptr) drawn->add(y, x0, x1);
    }
}

void ShapeRasterizer::Impl::mixStyle(const FillPaint& paint, int minX, std::uint32_t* colors,
                                     std::uint32_t* mix, agg::cover_type* budget) {
    auto span = scanline.begin();
    for (unsigned n = scanline.num_spans(); n > 0; --n, ++span) {
        const unsigned len = span->len;
        if (paint.isSolid())
            std::fill_n(colors, len, paint.color());
        else
            paint.generate(colors, span->x, scanline.y(), len);
        AddCovered(mix + (span->x - minX), budget + (span->x - minX), colors, span->covers, len);
    }
}

// One run of fully covered pixels, clipped by the mask (or added to the mask being built).
void ShapeRasterizer::Impl::paintRun(const FillPaint& paint, int y, int x, unsigned len) {
    if (maskTarget != nullptr) {
        addToMask(fullCovers.data(), x, y, len);
        return;
    }
    paint.blend(buffer.row_ptr(y), x, y, len, clipCovers(fullCovers.data(), x, y, len));
    if (drawn != nullptr) drawn->add(y, x, x + static_cast<int>(len));
}

void ShapeRasterizer::Impl::paintLine(const FillPaint& paint) {
    if (!lineRaster.rewind_scanlines()) return;
    scanline.reset(lineRaster.min_x(), lineRaster.max_x());
    while (lineRaster.sweep_scanline(scanline)) paintScanline(paint);
}

}  // namespace saver::swf
