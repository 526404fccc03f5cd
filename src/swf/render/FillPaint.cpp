// Gradients are evaluated per pixel from the inverse matrix rather than with a span
// interpolator: the pixel centre is mapped into a unit gradient square (the file's
// -16384..16384 twips scaled to -1..1), turned into a position t (0 at ratio 0, 1 at ratio
// 255), wrapped by the spread mode and looked up in a table. The 256 colours of the ramp are
// taken as texels centred on 0.5 / 256 .. 255.5 / 256 and read blended between the two nearest,
// so a steep gradient has no steps of a whole entry; the table holds that blend in sixteenth
// steps (4081 entries), so a pixel still costs one lookup. Stepping along a row only adds the
// matrix's first column, so a span costs a few additions per pixel.
#include "swf/render/FillPaint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

constexpr double kGradientHalfSize = 16384.0;  // twips from the centre to the square's edge
// A focal point on the circle itself makes the gradient degenerate; keep it just inside.
constexpr double kMaxFocal = 0.998;

// The colour as B, G, R, A bytes in one word (the target's byte order).
std::uint32_t Packed(const agg::rgba8& c) {
    return std::uint32_t{c.b} | std::uint32_t{c.g} << 8 | std::uint32_t{c.r} << 16 |
           std::uint32_t{c.a} << 24;
}

FillPaint::Entry Premultiplied(Rgba c) {
    agg::rgba8 rgba(c.r, c.g, c.b, c.a);
    rgba.premultiply();
    return {rgba, Packed(rgba)};
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

// A channel in linear light as the player keeps it: in whole 255ths, rounded down, so dark
// channels come back lighter or darker than they went in (20 and 14 both come back as 13).
double LinearLevel(std::uint8_t v) {
    return std::floor(ToLinear(v) * 255.0) / 255.0;
}

// A colour between two stops, each channel cut to a whole level (as a morphed gradient's
// reference rows step); `linear` mixes the colour channels in linear light.
Rgba Mix(Rgba from, Rgba to, double f, bool linear) {
    auto mix = [&](std::uint8_t a, std::uint8_t b) {
        if (!linear) return Channel(std::floor(a + (b - a) * f + 1e-9));
        const double la = LinearLevel(a), lb = LinearLevel(b);
        return Channel(FromLinear(la + (lb - la) * f));
    };
    return {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b),
            Channel(from.a + (to.a - from.a) * f)};
}

}  // namespace

void FillPaint::prepare(const FillStyle& style, const Matrix& toPixels, const ColorTransform& cx,
                        const BitmapSource& bitmaps) {
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
            kind_ = Kind::Bitmap;
            if (prepareBitmap(style, toPixels, cx, bitmaps)) return;
            kind_ = Kind::Solid;
            color_ = Premultiplied(Rgba{0, 0, 0, 0});
            return;
    }

    // Square to pixels: the fill matrix scaled so the unit square covers +-16384 twips.
    Matrix square{kGradientHalfSize, 0, 0, kGradientHalfSize, 0, 0};
    const Matrix m = toPixels * style.matrix * square;
    const double det = m.a * m.d - m.b * m.c;
    if (style.gradient.stops.empty() || !std::isfinite(det) || std::abs(det) < 1e-12) {
        kind_ = Kind::Solid;
        color_ = Premultiplied(Rgba{0, 0, 0, 0});
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
// colour; the rest (also where the ratios fall) take the last stop's, unless the ratios fall
// right after the (first) highest one: then the stop after the highest.
void FillPaint::buildTable(const Gradient& gradient, const ColorTransform& cx) {
    const auto& stops = gradient.stops;
    const bool linear = gradient.interpolation == InterpolationMode::Linear;
    if (!table_) table_ = std::make_unique<std::array<Entry, kTableSize>>();
    std::size_t highest = 0;
    for (std::size_t k = 1; k < stops.size(); ++k)
        if (stops[k].ratio > stops[highest].ratio) highest = k;
    const bool fallsAfterHighest =
        highest + 1 < stops.size() && stops[highest + 1].ratio < stops[highest].ratio;
    const Rgba beyond = (fallsAfterHighest ? stops[highest + 1] : stops.back()).color;
    std::array<Entry, 256> ramp;
    for (int i = 0; i < 256; ++i) {
        Rgba c = i <= stops.front().ratio ? stops.front().color : beyond;
        // Even a stop's own colour goes through linear light.
        c = Mix(c, c, 0, linear);
        for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
            const GradientStop& lo = stops[k];
            const GradientStop& hi = stops[k + 1];
            if (lo.ratio < hi.ratio && lo.ratio <= i && i <= hi.ratio) {
                c = Mix(lo.color, hi.color, double(i - lo.ratio) / (hi.ratio - lo.ratio), linear);
                break;
            }
        }
        ramp[static_cast<std::size_t>(i)] = Premultiplied(cx.apply(c));
    }
    for (std::size_t q = 0; q < kTableSize; ++q) {
        const Entry& a = ramp[std::min<std::size_t>(q / kSteps, 255)];
        const Entry& b = ramp[std::min<std::size_t>(q / kSteps + 1, 255)];
        const unsigned f = static_cast<unsigned>(q % kSteps) * (256 / kSteps);
        // A level exactly between two rounds down, as the reference pictures have it.
        auto mix = [f](std::uint8_t x, std::uint8_t y) {
            return static_cast<std::uint8_t>((x * (256 - f) + y * f + 127) >> 8);
        };
        Entry& e = (*table_)[q];
        e.rgba = agg::rgba8(mix(a.rgba.r, b.rgba.r), mix(a.rgba.g, b.rgba.g),
                            mix(a.rgba.b, b.rgba.b), mix(a.rgba.a, b.rgba.a));
        e.packed = Packed(e.rgba);
    }
}

namespace {

// Gradient positions in fixed point: 1.0 is 2^24, so a wrap is a mask and the table index a
// multiply and a shift. Positions are clamped far beyond any visible repeat first.
constexpr int kFracBits = 24;
constexpr std::int64_t kOne = std::int64_t{1} << kFracBits;
// |t| and a row's step stay below 2^44 in fixed point, a row's sum below 2^60.
constexpr double kMaxPosition = 1 << 20;
// Position t maps to entry floor((t * 256 - 0.5) * steps + 0.5): the ramp position, in steps.
constexpr std::int64_t kRampSteps = 16;  // FillPaint's table entries per ramp entry
constexpr std::int64_t kScale = 256 * kRampSteps;
constexpr std::int64_t kBias = (kRampSteps - 1) * kOne / 2;
constexpr std::int64_t kLastEntry = 255 * kRampSteps;

std::int64_t Fixed(double t) {
    return static_cast<std::int64_t>(std::clamp(t, -kMaxPosition, kMaxPosition) * double(kOne));
}

template <SpreadMode Spread>
std::size_t TableIndex(std::int64_t t) {
    if constexpr (Spread == SpreadMode::Repeat) {
        t &= kOne - 1;
    } else if constexpr (Spread == SpreadMode::Reflect) {
        t &= 2 * kOne - 1;
        if (t > kOne) t = 2 * kOne - t;
    } else {
        t = std::clamp<std::int64_t>(t, 0, kOne);
    }
    return static_cast<std::size_t>(
        std::clamp<std::int64_t>((t * kScale - kBias) >> kFracBits, 0, kLastEntry));
}

}  // namespace

// Calls sink(i, n, entry) for runs of the pixels x .. x + len - 1 of row y. Linear gradients step
// in fixed point along the row (no floating-point chain per pixel); radial ones need a root per
// pixel anyway.
template <SpreadMode Spread, class Sink>
void FillPaint::walk(int x, int y, unsigned len, Sink&& sink) const {
    const double px = x + 0.5, py = y + 0.5;
    double gx = inverse_.a * px + inverse_.c * py + inverse_.tx;
    double gy = inverse_.b * px + inverse_.d * py + inverse_.ty;
    const double dx = inverse_.a, dy = inverse_.b;
    switch (kind_) {
        case Kind::Linear: {
            const std::int64_t t = Fixed((gx + 1) / 2);
            const std::int64_t dt = Fixed(dx / 2);
            if constexpr (Spread == SpreadMode::Pad) {
                walkPadRuns(t, dt, len, sink);
            } else {
                for (unsigned i = 0; i < len; ++i)
                    sink(i, 1u, (*table_)[TableIndex<Spread>(t + dt * i)]);
            }
            break;
        }
        case Kind::Radial:
            for (unsigned i = 0; i < len; ++i, gx += dx, gy += dy)
                sink(i, 1u, (*table_)[TableIndex<Spread>(Fixed(std::sqrt(gx * gx + gy * gy)))]);
            break;
        default: {
            // Where the ray from the focal point through the pixel meets the unit circle, the
            // gradient reaches t = 1; t grows linearly along the ray.
            const double f = focal_, outside = 1 - focal_ * focal_;
            for (unsigned i = 0; i < len; ++i, gx += dx, gy += dy) {
                const double ex = gx - f;
                const double dd = ex * ex + gy * gy;
                const double fd = f * ex;
                const double t = dd > 0 ? dd / (std::sqrt(fd * fd + dd * outside) - fd) : 0;
                sink(i, 1u, (*table_)[TableIndex<Spread>(Fixed(t))]);
            }
            break;
        }
    }
}

template <class Sink>
void FillPaint::walkAny(int x, int y, unsigned len, Sink&& sink) const {
    switch (spread_) {
        case SpreadMode::Repeat:
            walk<SpreadMode::Repeat>(x, y, len, sink);
            break;
        case SpreadMode::Reflect:
            walk<SpreadMode::Reflect>(x, y, len, sink);
            break;
        default:
            walk<SpreadMode::Pad>(x, y, len, sink);
            break;
    }
}

// A padded linear gradient changes its table entry only every 1/4080 of the square, and not
// at all along a row it runs across: the row is cut into runs of one entry, found by solving
// for the next entry boundary instead of indexing every pixel. `u` is the position scaled to
// table entries (entry = u >> kFracBits).
template <class Sink>
void FillPaint::walkPadRuns(std::int64_t t, std::int64_t dt, unsigned len, Sink&& sink) const {
    std::int64_t u = t * kScale - kBias;
    const std::int64_t du = dt * kScale;
    // Runs of a pixel or two: stepped pixel by pixel, without a division per run (while the
    // steps cannot overflow; a gradient squeezed far below a pixel takes the runs).
    const std::int64_t room = (std::int64_t{1} << 60) / (std::int64_t{len} + 1);
    if ((du >= kOne / 2 || du <= -kOne / 2) && du < room && -du < room) {
        for (unsigned i = 0; i < len; ++i, u += du)
            sink(i, 1u,
                 (*table_)[static_cast<std::size_t>(
                     std::clamp<std::int64_t>(u >> kFracBits, 0, kLastEntry))]);
        return;
    }
    for (unsigned i = 0; i < len;) {
        const std::int64_t entry = std::clamp<std::int64_t>(u >> kFracBits, 0, kLastEntry);
        std::int64_t steps = len - i;  // to the end of the span unless the entry changes
        if (du > 0 && entry < kLastEntry)
            steps = ((entry + 1) * kOne - u + du - 1) / du;
        else if (du < 0 && entry > 0)
            steps = (u - entry * kOne) / -du + 1;
        const unsigned n = static_cast<unsigned>(std::clamp<std::int64_t>(steps, 1, len - i));
        sink(i, n, (*table_)[static_cast<std::size_t>(entry)]);
        i += n;
        if (i < len) u += du * n;
    }
}

void FillPaint::generate(std::uint32_t* out, int x, int y, unsigned len) const {
    if (kind_ == Kind::Bitmap) return generateBitmap(out, x, y, len);
    if (kind_ == Kind::Solid) {
        std::fill_n(out, len, color_.packed);
        return;
    }
    walkAny(x, y, len,
            [out](unsigned i, unsigned n, const Entry& e) { std::fill_n(out + i, n, e.packed); });
}

// An opaque solid colour is stored where the covers are full, the common case; anything else
// has its colours laid out in a row and blended as a whole (BlendBgra).
void FillPaint::blend(std::uint8_t* row, int x, int y, unsigned len,
                      const std::uint8_t* covers) const {
    if (kind_ == Kind::Bitmap) return blendBitmap(row, x, y, len, covers);
    std::uint8_t* const start = row + static_cast<std::ptrdiff_t>(x) * 4;
    if (kind_ == Kind::Solid && color_.rgba.a == 255) {
        const std::uint32_t c = color_.packed;
        for (unsigned k = 0; k < len;) {
            const unsigned full = FullCovers(covers + k, len - k);
            if (full > 0) {
                FillPixels(start + k * 4, c, full);
                k += full;
                continue;
            }
            if (covers[k] != 0) {
                std::uint32_t d;
                std::memcpy(&d, start + k * 4, 4);
                d = BlendPacked(c, d, covers[k]);
                std::memcpy(start + k * 4, &d, 4);
            }
            ++k;
        }
        return;
    }
    if (colors_.size() < len) colors_.resize(len);
    generate(colors_.data(), x, y, len);
    BlendBgra(start, colors_.data(), covers, len);
}

}  // namespace saver::swf
