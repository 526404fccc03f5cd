// Each pass keeps two running sums: S0 over the whole pixels of the box and S1 over the box
// widened by one pixel on each side, so the result S0 * (1 - f) + S1 * f weighs the two end
// pixels by the fraction f without a multiplication per tap. Sums are in 1/256 units of weight
// and divided by a fixed-point reciprocal.
#include "swf/render/BoxBlur.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace saver::swf {

namespace {

constexpr double kMaxSize = 255;
constexpr int kMaxPasses = 15;

// How much a blur of several passes reaches beyond one of one pass, as the bounds of
// filtered objects grow in Flash.
constexpr std::array<double, kMaxPasses> kPassReach = {1.0, 2.1, 2.7, 3.1, 3.5, 3.8, 4.0, 4.2,
                                                       4.4, 4.6, 5.0, 6.0, 6.0, 7.0, 7.0};

// The box of one pass: whole pixels -m..m, end pixels at +-(m+1) weighing `frac`/256.
struct Box {
    int m = 0;
    std::uint32_t frac = 0;     // 1..256
    std::uint32_t inverse = 0;  // 2^32 / total weight, rounded up (the weight is above 256)
    bool identity = true;

    explicit Box(double size) {
        size = std::min(size, kMaxSize);
        if (!(size > 1)) return;
        const double radius = (size - 1) / 2;
        m = static_cast<int>(std::ceil(radius)) - 1;
        frac = static_cast<std::uint32_t>(std::clamp(std::floor((radius - m) * 256), 1.0, 256.0));
        const std::uint64_t weight = (2 * static_cast<std::uint64_t>(m) + 1) * 256 + 2 * frac;
        inverse = static_cast<std::uint32_t>(((std::uint64_t{1} << 32) + weight - 1) / weight);
        identity = false;
    }
    // The sums stay below 2^16 (at most 257 pixels of 255), the weighted total below 2^25:
    // one 32 x 32 bit product per value, which vector units have.
    std::uint8_t value(std::uint32_t s0, std::uint32_t s1) const {
        const std::uint32_t total = s0 * (256 - frac) + s1 * frac;
        const auto q = static_cast<std::uint32_t>((std::uint64_t{total} * inverse) >> 32);
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, q));
    }
};

}  // namespace

double BoxBlur::reach(double size, int passes) {
    if (passes <= 0 || !(size > 0)) return 0;
    return std::min(size, kMaxSize) * kPassReach[std::min(passes, kMaxPasses) - 1];
}

void BoxBlur::blur(std::uint8_t* pixels, int width, int height, int channels, double sizeX,
                   double sizeY, int passes) {
    if (width <= 0 || height <= 0) return;
    passes = std::min(passes, kMaxPasses);
    for (int pass = 0; pass < passes; ++pass) {
        rows(pixels, width, height, channels, sizeX);
        columns(pixels, width, height, channels, sizeY);
    }
}

// Each row is copied into a zero-padded line first, so the box may run off both ends; the
// channels of a pixel are summed side by side. The channel count is a template argument so
// the loop over the channels unrolls.
template <int C>
void BlurRows(std::vector<std::uint32_t>& line, std::uint8_t* pixels, int width, int height,
              const Box& box) {
    const int pad = box.m + 2;
    line.assign(static_cast<std::size_t>(width + 2 * pad) * C, 0);
    std::uint32_t* src = line.data() + static_cast<std::ptrdiff_t>(pad) * C;
    const std::ptrdiff_t inner = static_cast<std::ptrdiff_t>(box.m) * C;
    const std::ptrdiff_t outer = inner + C;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * C;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) src[i] = row[i];
        std::uint32_t s0[C] = {};
        for (std::ptrdiff_t k = -inner; k <= inner; k += C)
            for (int c = 0; c < C; ++c) s0[c] += src[k + c];
        const std::uint32_t* p = src;
        for (int x = 0; x < width; ++x, p += C, row += C) {
            for (int c = 0; c < C; ++c) {
                const std::uint32_t s1 = s0[c] + p[c - outer] + p[c + outer];
                row[c] = box.value(s0[c], s1);
                s0[c] += p[c + outer] - p[c - inner];
            }
        }
    }
}

#if defined(__SSE2__)
namespace {

// Box::value on four lanes at once: the products in 64-bit halves (_mm_mul_epu32 takes the
// even lanes), so the numbers are those of the scalar code.
inline __m128i ValueFour(const Box& box, __m128i s0, __m128i s1) {
    const __m128i keep = _mm_set1_epi32(static_cast<int>(256 - box.frac));
    const __m128i take = _mm_set1_epi32(static_cast<int>(box.frac));
    const __m128i inverse = _mm_set1_epi32(static_cast<int>(box.inverse));
    auto even = [&](__m128i a, __m128i b) {  // lanes 0 and 2, each result in its low half
        const __m128i total = _mm_add_epi64(_mm_mul_epu32(a, keep), _mm_mul_epu32(b, take));
        return _mm_srli_epi64(_mm_mul_epu32(total, inverse), 32);
    };
    const __m128i lo = even(s0, s1);
    const __m128i hi = even(_mm_srli_epi64(s0, 32), _mm_srli_epi64(s1, 32));
    return _mm_or_si128(lo, _mm_slli_epi64(hi, 32));
}

// `n` bytes widened to 32-bit sums' sources, sixteen at a time.
void Widen(const std::uint8_t* in, std::uint32_t* out, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
        auto* o = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(o, _mm_unpacklo_epi16(lo, zero));
        _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(lo, zero));
        _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(hi, zero));
        _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(hi, zero));
    }
    for (; i < n; ++i) out[i] = in[i];
}

// Pixels x..x+15 of four rows into lanes: `out` gets x0 of rows 0-3, then x1, and so on.
void Interleave16(std::uint8_t* const (&rows)[4], std::size_t x, std::uint32_t* out) {
    auto at = [&](int r) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + x)); };
    const __m128i r0 = at(0), r1 = at(1), r2 = at(2), r3 = at(3);
    const __m128i a = _mm_unpacklo_epi8(r0, r1), b = _mm_unpackhi_epi8(r0, r1);
    const __m128i c = _mm_unpacklo_epi8(r2, r3), d = _mm_unpackhi_epi8(r2, r3);
    std::uint8_t bytes[64];
    auto* v = reinterpret_cast<__m128i*>(bytes);
    _mm_storeu_si128(v, _mm_unpacklo_epi16(a, c));
    _mm_storeu_si128(v + 1, _mm_unpackhi_epi16(a, c));
    _mm_storeu_si128(v + 2, _mm_unpacklo_epi16(b, d));
    _mm_storeu_si128(v + 3, _mm_unpackhi_epi16(b, d));
    Widen(bytes, out + x * 4, 64);
}

// The reverse: sixteen pixels of four interleaved lanes (64 bytes) back into the four rows.
void Deinterleave16(const std::uint8_t* in, std::uint8_t* const (&rows)[4], std::size_t x) {
    auto at = [&](int k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * k)); };
    const __m128i a = at(0), b = at(1), c = at(2), d = at(3);  // pixels 0-3, 4-7, 8-11, 12-15
    // Three rounds of byte interleaving sort the bytes by row, then by pixel.
    const __m128i t0 = _mm_unpacklo_epi8(a, b), t1 = _mm_unpackhi_epi8(a, b);
    const __m128i t2 = _mm_unpacklo_epi8(c, d), t3 = _mm_unpackhi_epi8(c, d);
    const __m128i u0 = _mm_unpacklo_epi8(t0, t1), u1 = _mm_unpackhi_epi8(t0, t1);
    const __m128i u2 = _mm_unpacklo_epi8(t2, t3), u3 = _mm_unpackhi_epi8(t2, t3);
    const __m128i v0 = _mm_unpacklo_epi8(u0, u1), v1 = _mm_unpackhi_epi8(u0, u1);  // rows 0-1, 2-3
    const __m128i w0 = _mm_unpacklo_epi8(u2, u3), w1 = _mm_unpackhi_epi8(u2, u3);
    auto put = [&](int r, __m128i v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r] + x), v);
    };
    put(0, _mm_unpacklo_epi64(v0, w0));
    put(1, _mm_unpackhi_epi64(v0, w0));
    put(2, _mm_unpacklo_epi64(v1, w1));
    put(3, _mm_unpackhi_epi64(v1, w1));
}

// One row of four interleaved lanes (a BGRA row, or four rows of one channel side by side):
// `src` the zero-padded sums' source, `out` four bytes per pixel.
void BlurRowFour(const std::uint32_t* src, std::uint8_t* out, int width, const Box& box) {
    auto at = [src](std::ptrdiff_t x) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x * 4));
    };
    __m128i s0 = _mm_setzero_si128();
    for (int k = -box.m; k <= box.m; ++k) s0 = _mm_add_epi32(s0, at(k));
    for (int x = 0; x < width; ++x) {
        const __m128i ahead = at(x + box.m + 1);
        const __m128i s1 = _mm_add_epi32(_mm_add_epi32(s0, ahead), at(x - box.m - 1));
        const __m128i v = ValueFour(box, s0, s1);  // at most 255 (see Box::value)
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(v, v), v);
        const auto word = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
        std::memcpy(out + x * 4, &word, 4);
        s0 = _mm_sub_epi32(_mm_add_epi32(s0, ahead), at(x - box.m));
    }
}

// Four rows of one channel at a time, interleaved into lanes, then BlurRowFour; the rows left
// over are done one by one. Returns the first row not done.
int BlurRowsOfOne(std::vector<std::uint32_t>& line, std::vector<std::uint8_t>& out,
                  std::uint8_t* pixels, int width, int height, const Box& box) {
    const int pad = box.m + 2;
    line.assign(static_cast<std::size_t>(width + 2 * pad) * 4, 0);
    out.resize(static_cast<std::size_t>(width) * 4);
    std::uint32_t* src = line.data() + static_cast<std::ptrdiff_t>(pad) * 4;
    const std::size_t w = static_cast<std::size_t>(width);
    int y = 0;
    for (; y + 4 <= height; y += 4) {
        std::uint8_t* rows[4];
        for (int r = 0; r < 4; ++r) rows[r] = pixels + (static_cast<std::size_t>(y) + r) * w;
        std::size_t x = 0;
        for (; x + 16 <= w; x += 16) Interleave16(rows, x, src);
        for (; x < w; ++x)
            for (int r = 0; r < 4; ++r) src[x * 4 + r] = rows[r][x];
        BlurRowFour(src, out.data(), width, box);
        for (x = 0; x + 16 <= w; x += 16) Deinterleave16(out.data() + x * 4, rows, x);
        for (; x < w; ++x)
            for (int r = 0; r < 4; ++r) rows[r][x] = out[x * 4 + r];
    }
    return y;
}

}  // namespace
#endif

void BoxBlur::rows(std::uint8_t* pixels, int width, int height, int channels, double size) {
    const Box box(size);
    if (box.identity) return;
#if defined(__SSE2__)
    if (channels == 4) {
        const int pad = box.m + 2;
        line_.assign(static_cast<std::size_t>(width + 2 * pad) * 4, 0);
        std::uint32_t* src = line_.data() + static_cast<std::ptrdiff_t>(pad) * 4;
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = pixels + static_cast<std::size_t>(y) * rowBytes;
            Widen(row, src, rowBytes);
            BlurRowFour(src, row, width, box);
        }
        return;
    }
    const int done = BlurRowsOfOne(line_, copy_, pixels, width, height, box);
    BlurRows<1>(line_, pixels + static_cast<std::size_t>(done) * width, width, height - done, box);
#else
    if (channels == 4)
        BlurRows<4>(line_, pixels, width, height, box);
    else
        BlurRows<1>(line_, pixels, width, height, box);
#endif
}

// Columns run over whole rows at a time: one sum per column and channel, moved down a row per
// output row, so memory is read in order.
void BoxBlur::columns(std::uint8_t* pixels, int width, int height, int channels, double size) {
    const Box box(size);
    if (box.identity) return;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    // The copy ends in a row of zeros that stands for every row beyond the image, so the
    // inner loop has no tests and vectorises.
    copy_.resize(rowBytes * (static_cast<std::size_t>(height) + 1));
    std::memcpy(copy_.data(), pixels, rowBytes * height);
    std::memset(copy_.data() + rowBytes * height, 0, rowBytes);
    line_.assign(rowBytes, 0);
    const std::uint8_t* zeros = copy_.data() + rowBytes * height;
    auto row = [&](int y) -> const std::uint8_t* {
        return y >= 0 && y < height ? copy_.data() + rowBytes * y : zeros;
    };
    std::uint32_t* __restrict sums = line_.data();
    for (int k = -box.m; k <= box.m; ++k) {
        const std::uint8_t* r = row(k);
        for (std::size_t i = 0; i < rowBytes; ++i) sums[i] += r[i];
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* before = row(y - box.m - 1);
        const std::uint8_t* after = row(y + box.m + 1);
        const std::uint8_t* leaving = row(y - box.m);
        std::uint8_t* __restrict out = pixels + rowBytes * y;
        std::size_t i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        auto widen = [zero](const std::uint8_t* p) {
            std::uint32_t four;
            std::memcpy(&four, p, 4);
            return _mm_unpacklo_epi16(
                _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero), zero);
        };
        for (; i + 4 <= rowBytes; i += 4) {
            __m128i* sum = reinterpret_cast<__m128i*>(sums + i);
            const __m128i s0 = _mm_loadu_si128(sum);
            const __m128i a = widen(after + i);
            const __m128i v =
                ValueFour(box, s0, _mm_add_epi32(_mm_add_epi32(s0, a), widen(before + i)));
            const auto word = static_cast<std::uint32_t>(
                _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, v), v)));
            std::memcpy(out + i, &word, 4);
            _mm_storeu_si128(sum, _mm_sub_epi32(_mm_add_epi32(s0, a), widen(leaving + i)));
        }
#endif
        for (; i < rowBytes; ++i) {
            const std::uint32_t a = after[i];
            out[i] = box.value(sums[i], sums[i] + a + before[i]);
            sums[i] += a - leaving[i];
        }
    }
}

}  // namespace saver::swf
