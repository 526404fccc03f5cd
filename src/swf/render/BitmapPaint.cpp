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
    upright_ = inverse_.b == 0 && inverse_.c == 0;
    for (MixedRow& m : mixed_) m.row = -1;
    return true;
}

namespace {

// The four texels around one sample point and its fractions: `c0`, `c1` the byte offsets of
// the left and right column, `row0`, `row1` the upper and lower row.
struct Taps {
    const std::uint8_t *row0, *row1;
    std::size_t c0, c1;
    unsigned fx, fy;
};

// a + (b - a) * f / 256 in every channel, rounded; f in 0..256 (the texels' bytes spread into
// 16-bit lanes, so one multiply weighs all four channels).
std::uint32_t MixTexels(std::uint32_t a, std::uint32_t b, unsigned f) {
    auto lanes = [](std::uint64_t x) {
        x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
        return (x | (x << 8)) & 0x00FF00FF00FF00FFull;
    };
    std::uint64_t m = ((lanes(a) * (256 - f) + lanes(b) * f + 0x0080008000800080ull) >> 8) &
                      0x00FF00FF00FF00FFull;
    m = (m | (m >> 8)) & 0x0000FFFF0000FFFFull;
    return static_cast<std::uint32_t>(m | (m >> 16));
}

std::uint32_t Texel(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The bilinear mix of one point: along both rows, then between them, rounded after each.
std::uint32_t MixOne(const Taps& t) {
    return MixTexels(MixTexels(Texel(t.row0 + t.c0), Texel(t.row0 + t.c1), t.fx),
                     MixTexels(Texel(t.row1 + t.c0), Texel(t.row1 + t.c1), t.fx), t.fy);
}

#if defined(__SSE2__)
// Two texels side by side in the low half, widened to 16-bit lanes.
inline __m128i TwoTexels(const std::uint8_t* p, const std::uint8_t* q) {
    return _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(Texel(p))),
                                                _mm_cvtsi32_si128(static_cast<int>(Texel(q)))),
                             _mm_setzero_si128());
}

// (a * (256 - f) + b * f + 128) / 256 in 16-bit lanes: at most 255 * 256 + 128, no overflow.
inline __m128i MixLanes(__m128i a, __m128i b, __m128i f) {
    const __m128i g = _mm_sub_epi16(_mm_set1_epi16(256), f);
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, g), _mm_mullo_epi16(b, f));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}

// MixOne of two points at once, in 16-bit lanes (lanes 0-3 the first, 4-7 the second).
inline __m128i MixTwo(const Taps& s, const Taps& t) {
    const __m128i fx = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(s.fx)),
                                          _mm_set1_epi16(static_cast<short>(t.fx)));
    const __m128i fy = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(s.fy)),
                                          _mm_set1_epi16(static_cast<short>(t.fy)));
    const __m128i top = MixLanes(TwoTexels(s.row0 + s.c0, t.row0 + t.c0),
                                 TwoTexels(s.row0 + s.c1, t.row0 + t.c1), fx);
    const __m128i bottom = MixLanes(TwoTexels(s.row1 + s.c0, t.row1 + t.c0),
                                    TwoTexels(s.row1 + s.c1, t.row1 + t.c1), fx);
    return MixLanes(top, bottom, fy);
}
#endif

// Where a position (16.16 fixed point) falls: its texel index folded into the bitmap.
template <bool Repeat>
std::size_t Column(std::int64_t u, int size) {
    return static_cast<std::size_t>(Fold<Repeat>(u >> kFracBits, size)) * 4;
}

// `len` points of one bitmap row mixed along it: from position `u` (16.16) on, `du` apart.
template <bool Repeat>
void MixAlong(const std::uint8_t* row, int width, std::int64_t u, std::int64_t du,
              std::uint32_t* out, unsigned len) {
    auto taps = [&](std::int64_t pu) {
        return Taps{row,
                    row,
                    Column<Repeat>(pu, width),
                    Column<Repeat>(pu + kOne, width),
                    static_cast<unsigned>((pu >> (kFracBits - 8)) & 0xFF),
                    0};
    };
    unsigned i = 0;
#if defined(__SSE2__)
    auto two = [](const Taps& s, const Taps& t) {
        const __m128i fx = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(s.fx)),
                                              _mm_set1_epi16(static_cast<short>(t.fx)));
        return MixLanes(TwoTexels(s.row0 + s.c0, t.row0 + t.c0),
                        TwoTexels(s.row0 + s.c1, t.row0 + t.c1), fx);
    };
    for (; i + 4 <= len; i += 4, u += 4 * du) {
        const __m128i first = two(taps(u), taps(u + du));
        const __m128i second = two(taps(u + 2 * du), taps(u + 3 * du));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(first, second));
    }
#endif
    for (; i < len; ++i, u += du) {
        const Taps t = taps(u);
        out[i] = MixTexels(Texel(row + t.c0), Texel(row + t.c1), t.fx);
    }
}

// `len` mixes of two rows already mixed along: MixTexels(top[i], bottom[i], fy).
void MixBetween(const std::uint32_t* top, const std::uint32_t* bottom, unsigned fy,
                std::uint32_t* out, unsigned len) {
    unsigned i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i f = _mm_set1_epi16(static_cast<short>(fy));
    for (; i + 4 <= len; i += 4) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + i));
        const __m128i lo = MixLanes(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(b, zero), f);
        const __m128i hi = MixLanes(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(b, zero), f);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < len; ++i) out[i] = MixTexels(top[i], bottom[i], fy);
}

}  // namespace

// An upright fill (no turn, no skew) reads the same bitmap rows for many target rows when it
// is enlarged, and a span's positions along x depend only on where it starts: each bitmap
// row mixed along x is kept for spans that start at the same column, and a target row is
// then one mix between two kept rows, the same numbers as sampling each pixel afresh.
template <bool Repeat>
void BitmapPaint::sampleUpright(std::uint32_t* out, int x, int y, unsigned len) const {
    const DecodedBitmap& b = *bitmap_;
    const double px = x + 0.5, py = y + 0.5;
    const std::int64_t u = Fixed(inverse_.a * px + inverse_.c * py + inverse_.tx - 0.5);
    const std::int64_t v = Fixed(inverse_.b * px + inverse_.d * py + inverse_.ty - 0.5);
    const std::int64_t du = Fixed(inverse_.a);
    const std::int64_t iv = v >> kFracBits;
    const int rows[2] = {Fold<Repeat>(iv, b.height), Fold<Repeat>(iv + 1, b.height)};
    const auto fy = static_cast<unsigned>((v >> (kFracBits - 8)) & 0xFF);
    // With no weight on the lower row (fy 0) the upper one is the result.
    const int needed = fy == 0 || rows[0] == rows[1] ? 1 : 2;
    const std::uint32_t* mixed[2] = {nullptr, nullptr};
    bool held[2] = {false, false};  // slots in use by this span
    for (int k = 0; k < needed; ++k)
        for (int slot = 0; slot < 2; ++slot)
            if (MixedRow& m = mixed_[slot];
                !held[slot] && m.row == rows[k] && m.x == x && m.texels.size() >= len) {
                mixed[k] = m.texels.data();
                held[slot] = true;
                break;
            }
    for (int k = 0; k < needed; ++k) {
        if (mixed[k] != nullptr) continue;
        const int slot = held[0] ? 1 : 0;
        MixedRow& m = mixed_[slot];
        m.row = rows[k];
        m.x = x;
        m.texels.resize(len);
        MixAlong<Repeat>(b.pixels.data() + static_cast<std::size_t>(rows[k]) * b.width * 4, b.width,
                         u, du, m.texels.data(), len);
        mixed[k] = m.texels.data();
        held[slot] = true;
    }
    if (needed == 1)
        std::memcpy(out, mixed[0], static_cast<std::size_t>(len) * 4);
    else
        MixBetween(mixed[0], mixed[1], fy, out, len);
}

// Smooth sampling mixes the four texel centres around the point (texel centres lie at
// i + 0.5) by 8-bit fractions, first along the row, then between the rows; SSE2 mixes four
// points at a time with the same roundings. The texels' own byte order (B, G, R, A) is kept.
template <bool Repeat, bool Smooth>
void BitmapPaint::sample(std::uint32_t* out, int x, int y, unsigned len) const {
    const DecodedBitmap& b = *bitmap_;
    const double px = x + 0.5, py = y + 0.5;
    const double shift = Smooth ? 0.5 : 0.0;
    std::int64_t u = Fixed(inverse_.a * px + inverse_.c * py + inverse_.tx - shift);
    std::int64_t v = Fixed(inverse_.b * px + inverse_.d * py + inverse_.ty - shift);
    const std::int64_t du = Fixed(inverse_.a), dv = Fixed(inverse_.b);
    const std::uint8_t* pixels = b.pixels.data();
    const std::size_t stride = static_cast<std::size_t>(b.width) * 4;
    if constexpr (!Smooth) {
        for (unsigned i = 0; i < len; ++i, u += du, v += dv)
            out[i] = Texel(pixels + Fold<Repeat>(v >> kFracBits, b.height) * stride +
                           Column<Repeat>(u, b.width));
        return;
    }
    auto taps = [&](std::int64_t pu, std::int64_t pv) {
        const std::int64_t iv = pv >> kFracBits;
        return Taps{pixels + Fold<Repeat>(iv, b.height) * stride,
                    pixels + Fold<Repeat>(iv + 1, b.height) * stride,
                    Column<Repeat>(pu, b.width),
                    Column<Repeat>(pu + kOne, b.width),
                    static_cast<unsigned>((pu >> (kFracBits - 8)) & 0xFF),
                    static_cast<unsigned>((pv >> (kFracBits - 8)) & 0xFF)};
    };
    unsigned i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= len; i += 4, u += 4 * du, v += 4 * dv) {
        const __m128i first = MixTwo(taps(u, v), taps(u + du, v + dv));
        const __m128i second = MixTwo(taps(u + 2 * du, v + 2 * dv), taps(u + 3 * du, v + 3 * dv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(first, second));
    }
#endif
    for (; i < len; ++i, u += du, v += dv) out[i] = MixOne(taps(u, v));
}

// The colour transform works on straight colour: each texel is unpremultiplied, transformed
// and premultiplied again.
void BitmapPaint::transform(std::uint32_t* texels, unsigned len) const {
    for (unsigned i = 0; i < len; ++i) {
        const std::uint32_t p = texels[i];
        const double a = p >> 24;
        const double scale = a > 0 ? 255.0 / a : 0.0;
        const std::uint8_t na = Clamp255(a * cx_.mulA + cx_.addA);
        const std::uint8_t r = Clamp255(((p >> 16) & 0xFF) * scale * cx_.mulR + cx_.addR);
        const std::uint8_t g = Clamp255(((p >> 8) & 0xFF) * scale * cx_.mulG + cx_.addG);
        const std::uint8_t bl = Clamp255((p & 0xFF) * scale * cx_.mulB + cx_.addB);
        texels[i] = MulDiv255(bl, na) | MulDiv255(g, na) << 8 | MulDiv255(r, na) << 16 |
                    std::uint32_t{na} << 24;
    }
}

void BitmapPaint::sampleAny(std::uint32_t* out, int x, int y, unsigned len) const {
    if (smooth_ && upright_) {
        if (repeat_)
            sampleUpright<true>(out, x, y, len);
        else
            sampleUpright<false>(out, x, y, len);
        return;
    }
    if (repeat_) {
        if (smooth_)
            sample<true, true>(out, x, y, len);
        else
            sample<true, false>(out, x, y, len);
    } else {
        if (smooth_)
            sample<false, true>(out, x, y, len);
        else
            sample<false, false>(out, x, y, len);
    }
}

void BitmapPaint::generate(std::uint32_t* out, int x, int y, unsigned len) const {
    if (!bitmap_) {
        std::fill_n(out, len, 0u);
        return;
    }
    sampleAny(out, x, y, len);
    if (!identityColor_) transform(out, len);
}

void BitmapPaint::blend(std::uint8_t* row, int x, int y, unsigned len,
                        const std::uint8_t* covers) const {
    if (!bitmap_) return;
    if (texels_.size() < len) texels_.resize(len);
    generate(texels_.data(), x, y, len);
    BlendBgra(row + static_cast<std::ptrdiff_t>(x) * 4, texels_.data(), covers, len);
}

}  // namespace saver::swf
