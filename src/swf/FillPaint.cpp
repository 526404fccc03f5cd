// Gradients are evaluated per pixel from the inverse matrix rather than with a span
// interpolator: the pixel centre is mapped into a unit gradient square (the file's
// -16384..16384 twips scaled to -1..1), turned into a position t (0 at ratio 0, 1 at ratio
// 255), wrapped by the spread mode and looked up in a 256-entry table. Stepping along a row only
// adds the matrix's first column, so a span costs a few additions per pixel.
#include "swf/FillPaint.h"

#include <algorithm>
#include <cmath>

namespace saver::swf {

namespace {

constexpr double kGradientHalfSize = 16384.0;  // twips from the centre to the square's edge
// A focal point on the circle itself makes the gradient degenerate; keep it just inside.
constexpr double kMaxFocal = 0.998;
const Rgba kBitmapPlaceholder{128, 128, 128, 255};

agg::rgba8 Premultiplied(Rgba c) {
    agg::rgba8 out(c.r, c.g, c.b, c.a);
    out.premultiply();
    return out;
}

double ToLinear(double v) {
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double FromLinear(double v) {
    v = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return v * 255.0;
}

std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// A colour between two stops; `linear` mixes the colour channels in linear light.
Rgba Mix(Rgba from, Rgba to, double f, bool linear) {
    auto mix = [&](std::uint8_t a, std::uint8_t b) {
        if (!linear) return Channel(a + (b - a) * f);
        return Channel(FromLinear(ToLinear(a) + (ToLinear(b) - ToLinear(a)) * f));
    };
    return {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b),
            Channel(from.a + (to.a - from.a) * f)};
}

}  // namespace

void FillPaint::prepare(const FillStyle& style, const Matrix& toPixels, const ColorTransform& cx) {
    switch (style.type) {
        case FillType::Solid:
            kind_ = Kind::Solid;
            color_ = Premultiplied(cx.apply(style.color));
            return;
        case FillType::LinearGradient:
            kind_ = Kind::Linear;
            break;
        case FillType::RadialGradient:
            kind_ = Kind::Radial;
            break;
        case FillType::FocalRadialGradient:
            kind_ = Kind::Focal;
            break;
        default:
            kind_ = Kind::Solid;
            color_ = Premultiplied(cx.apply(kBitmapPlaceholder));
            return;
    }

    // Square to pixels: the fill matrix scaled so the unit square covers +-16384 twips.
    Matrix square{kGradientHalfSize, 0, 0, kGradientHalfSize, 0, 0};
    const Matrix m = toPixels * style.matrix * square;
    const double det = m.a * m.d - m.b * m.c;
    if (style.gradient.stops.empty() || !std::isfinite(det) || std::abs(det) < 1e-12) {
        kind_ = Kind::Solid;
        color_ = agg::rgba8(0, 0, 0, 0);
        return;
    }
    inverse_ = Matrix{m.d / det,
                      -m.b / det,
                      -m.c / det,
                      m.a / det,
                      (m.c * m.ty - m.d * m.tx) / det,
                      (m.b * m.tx - m.a * m.ty) / det};
    spread_ = style.gradient.spread;
    focal_ = std::clamp(style.gradient.focalPoint, -kMaxFocal, kMaxFocal);
    buildTable(style.gradient, cx);
}

// Entry i lies on the first stretch between two neighbouring stops whose ratios rise and
// enclose it. Stops sharing a ratio therefore make a hard step: the colour before the step is
// the first of them, the colour after it the last. Entries before the first stop take its
// colour, the rest (also where the ratios fall) the last stop's.
void FillPaint::buildTable(const Gradient& gradient, const ColorTransform& cx) {
    const auto& stops = gradient.stops;
    const bool linear = gradient.interpolation == InterpolationMode::Linear;
    for (int i = 0; i < 256; ++i) {
        Rgba c = i <= stops.front().ratio ? stops.front().color : stops.back().color;
        for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
            const GradientStop& lo = stops[k];
            const GradientStop& hi = stops[k + 1];
            if (lo.ratio < hi.ratio && lo.ratio <= i && i <= hi.ratio) {
                c = Mix(lo.color, hi.color, double(i - lo.ratio) / (hi.ratio - lo.ratio), linear);
                break;
            }
        }
        table_[static_cast<std::size_t>(i)] = Premultiplied(cx.apply(c));
    }
}

int FillPaint::tableIndex(double t) const {
    switch (spread_) {
        case SpreadMode::Repeat:
            t -= std::floor(t);
            break;
        case SpreadMode::Reflect:
            t = std::fabs(t - 2 * std::floor(t / 2));  // 0..2
            if (t > 1) t = 2 - t;
            break;
        default:
            break;
    }
    return static_cast<int>(std::clamp(t, 0.0, 1.0) * 255.0 + 0.5);
}

void FillPaint::generate(agg::rgba8* span, int x, int y, unsigned len) const {
    if (kind_ == Kind::Solid) {
        std::fill(span, span + len, color_);
        return;
    }
    const double px = x + 0.5, py = y + 0.5;
    double gx = inverse_.a * px + inverse_.c * py + inverse_.tx;
    double gy = inverse_.b * px + inverse_.d * py + inverse_.ty;
    const double dx = inverse_.a, dy = inverse_.b;
    for (unsigned i = 0; i < len; ++i, gx += dx, gy += dy) {
        double t;
        if (kind_ == Kind::Linear) {
            t = (gx + 1) / 2;
        } else if (kind_ == Kind::Radial) {
            t = std::sqrt(gx * gx + gy * gy);
        } else {
            // Where the ray from the focal point through the pixel meets the unit circle, the
            // gradient reaches t = 1; t grows linearly along the ray.
            const double ex = gx - focal_, ey = gy;
            const double dd = ex * ex + ey * ey;
            const double fd = focal_ * ex;
            const double root = std::sqrt(fd * fd + dd * (1 - focal_ * focal_));
            t = dd > 0 ? dd / (root - fd) : 0;
        }
        span[i] = table_[static_cast<std::size_t>(tableIndex(t))];
    }
}

}  // namespace saver::swf
