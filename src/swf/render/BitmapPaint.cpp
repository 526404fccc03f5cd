// Positions step along a row in 16.16 fixed point, so a span costs additions and table reads;
// the inverse matrix is evaluated once per span. Positions are clamped far outside any bitmap
// first, which keeps the fixed-point sums of a row within 64 bits whatever the matrix.
#include "swf/render/BitmapPaint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/render/SpanBlend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace saver::swf {

namespace {

constexpr int kFracBits = 16;
constexpr std::int64_t kOne = std::int64_t{1} << kFracBits;
constexpr double kMaxPosition = 1 << 30;  // bitmap pixels; sides are at most 16384

std::int64_t Fixed(double v) {
    return static_cast<std::int64_t>(std::clamp(v, -kMaxPosition, kMaxPosition) * double(kOne));
}

// A texel index folded into 0..size-1: wrapped when repeating, else clamped to the edge.
template <bool Repeat>
int Fold(std::int64_t i, int size) {
    if constexpr (Repeat) {
        const std::int64_t m = i % size;
        return static_cast<int>(m < 0 ? m + size : m);
    } else {
        return static_cast<int>(std::clamp<std::int64_t>(i, 0, size - 1));
    }
}

std::uint8_t Clamp255(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(v), 0.0, 255.0));
}

}  // namespace

bool BitmapPaint::prepare(std::shared_ptr<const DecodedBitmap> bitmap, const Matrix& bitmapToPixels,
                          bool repeat, bool smooth, const ColorTransform& cx) {
    const Matrix& m = bitmapToPixels;
    const double det = m.a * m.d - m.b * m.c;
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0 || !std::isfinite(det) ||
        std::abs(det) < 1e-12) {
        bitmap_.reset();
        return false;
    }
    bitmap_ = std::move(bitmap);
    inverse_ = Matrix{m.d / det,
                      -m.b / det,
                      -m.c / det,
                      m.a / det,
                      (m.c * m.ty - m.d * m.tx) / det,
                      (m.b * m.tx - m.a * m.ty) / det};
    repeat_ = repeat;
    smooth_ = smooth;
    cx_ = cx;
    identityColor_ = cx == ColorTransform{};
    return true;
}

namespace {

// A texel's four bytes spread into the 16-bit lanes of one word, so that one multiply weighs
// all four channels: a lane holds at most 255 * 256 during a mix.
std::uint64_t Lanes(const std::uint8_t* texel) {
    std::uint32_t v;
    std::memcpy(&v, texel, 4);
    std::uint64_t x = v;
    x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
    return (x | (x << 8)) & 0x00FF00FF00FF00FFull;
}

// a + (b - a) * f / 256 in every lane, rounded; f in 0..256.
std::uint64_t Mix(std::uint64_t a, std::uint64_t b, unsigned f) {
    return ((a * (256 - f) + b * f + 0x0080008000800080ull) >> 8) & 0x00FF00FF00FF00FFull;
}

#if defined(__SSE2__)
// The same mix as Mix(Mix(t00, t01, fx), Mix(t10, t11, fx), fy) when each row's two texels lie
// side by side in memory (`row0 + c`, `row1 + c`): both rows' pairs in 16-bit lanes, weighed
// along the row in one multiply each, then between the rows, with the same roundings.
inline std::uint32_t MixPairs(const std::uint8_t* top, const std::uint8_t* bottom, unsigned fx,
                              unsigned fy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi16(128);
    const __m128i wx = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(256 - fx)),
                                          _mm_set1_epi16(static_cast<short>(fx)));
    const __m128i t =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)), zero);
    const __m128i b =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)), zero);
    auto along = [&](__m128i pair) {  // lanes 0-3: the mixed texel (the high half is spare)
        const __m128i w = _mm_mullo_epi16(pair, wx);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(w, _mm_srli_si128(w, 8)), round), 8);
    };
    const __m128i rows = _mm_unpacklo_epi64(along(t), along(b));
    const __m128i wy = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(256 - fy)),
                                          _mm_set1_epi16(static_cast<short>(fy)));
    const __m128i w = _mm_mullo_epi16(rows, wy);
    const __m128i m =
        _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(w, _mm_srli_si128(w, 8)), round), 8);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(m, zero)));
}
#endif

}  // namespace

// Smooth sampling mixes the four texel centres around the point (texel centres lie at
// i + 0.5) by 8-bit fractions, first along the row, then between the rows.
template <bool Repeat, bool Smooth>
void BitmapPaint::sample(agg::rgba8* span, int x, int y, unsigned len) const {
    const DecodedBitmap& b = *bitmap_;
    const double px = x + 0.5, py = y + 0.5;
    const double shift = Smooth ? 0.5 : 0.0;
    std::int64_t u = Fixed(inverse_.a * px + inverse_.c * py + inverse_.tx - shift);
    std::int64_t v = Fixed(inverse_.b * px + inverse_.d * py + inverse_.ty - shift);
    const std::int64_t du = Fixed(inverse_.a), dv = Fixed(inverse_.b);
    const std::uint8_t* pixels = b.pixels.data();
    const std::size_t stride = static_cast<std::size_t>(b.width) * 4;
    // The rows sampled change along the span only where the fill is turned or skewed.
    const std::uint8_t *row0 = nullptr, *row1 = nullptr;
    unsigned fy = 0;
    for (unsigned i = 0; i < len; ++i, u += du, v += dv) {
        if (i == 0 || dv != 0) {
            const std::int64_t iv = v >> kFracBits;
            row0 = pixels + Fold<Repeat>(iv, b.height) * stride;
            if constexpr (Smooth) {
                row1 = pixels + Fold<Repeat>(iv + 1, b.height) * stride;
                fy = static_cast<unsigned>((v >> (kFracBits - 8)) & 0xFF);
            }
        }
        const std::int64_t iu = u >> kFracBits;
        const auto c0 = static_cast<std::size_t>(Fold<Repeat>(iu, b.width)) * 4;
        if constexpr (!Smooth) {
            const std::uint8_t* p = row0 + c0;
            span[i] = agg::rgba8(p[2], p[1], p[0], p[3]);
        } else {
            const auto c1 = static_cast<std::size_t>(Fold<Repeat>(iu + 1, b.width)) * 4;
            const auto fx = static_cast<unsigned>((u >> (kFracBits - 8)) & 0xFF);
#if defined(__SSE2__)
            if (c1 == c0 + 4) {
                const std::uint32_t m = MixPairs(row0 + c0, row1 + c0, fx, fy);
                span[i] = agg::rgba8(
                    static_cast<std::uint8_t>(m >> 16), static_cast<std::uint8_t>(m >> 8),
                    static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(m >> 24));
                continue;
            }
#endif
            const std::uint64_t top = Mix(Lanes(row0 + c0), Lanes(row0 + c1), fx);
            const std::uint64_t bottom = Mix(Lanes(row1 + c0), Lanes(row1 + c1), fx);
            const std::uint64_t m = Mix(top, bottom, fy);
            span[i] =
                agg::rgba8(static_cast<std::uint8_t>(m >> 32), static_cast<std::uint8_t>(m >> 16),
                           static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(m >> 48));
        }
    }
}

// The colour transform works on straight colour: each texel is unpremultiplied, transformed
// and premultiplied again.
void BitmapPaint::transform(agg::rgba8* span, unsigned len) const {
    for (unsigned i = 0; i < len; ++i) {
        agg::rgba8& p = span[i];
        const double a = p.a;
        const double scale = a > 0 ? 255.0 / a : 0.0;
        const std::uint8_t na = Clamp255(a * cx_.mulA + cx_.addA);
        const std::uint8_t r = Clamp255(p.r * scale * cx_.mulR + cx_.addR);
        const std::uint8_t g = Clamp255(p.g * scale * cx_.mulG + cx_.addG);
        const std::uint8_t bl = Clamp255(p.b * scale * cx_.mulB + cx_.addB);
        p = agg::rgba8(MulDiv255(r, na), MulDiv255(g, na), MulDiv255(bl, na), na);
    }
}

void BitmapPaint::generate(agg::rgba8* span, int x, int y, unsigned len) const {
    if (!bitmap_) {
        std::fill(span, span + len, agg::rgba8(0, 0, 0, 0));
        return;
    }
    if (repeat_) {
        if (smooth_)
            sample<true, true>(span, x, y, len);
        else
            sample<true, false>(span, x, y, len);
    } else {
        if (smooth_)
            sample<false, true>(span, x, y, len);
        else
            sample<false, false>(span, x, y, len);
    }
    if (!identityColor_) transform(span, len);
}

void BitmapPaint::blend(std::uint8_t* row, int x, int y, unsigned len,
                        const std::uint8_t* covers) const {
    if (!bitmap_) return;
    if (scratch_.size() < len) scratch_.resize(len);
    generate(scratch_.data(), x, y, len);
    BlendColors(row + static_cast<std::ptrdiff_t>(x) * 4, scratch_.data(), covers, len);
}

}  // namespace saver::swf
