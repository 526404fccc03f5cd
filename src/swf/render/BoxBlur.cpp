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
// The column pass also has a 256-bit form, chosen when the processor has AVX2 (GCC and Clang
// build it beside the SSE2 one and ask the processor at run time).
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define SAVER_BLUR_AVX2 1
#include <immintrin.h>
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
                   double sizeY, int passes, std::size_t stride) {
    if (width <= 0 || height <= 0) return;
    if (stride == 0) stride = static_cast<std::size_t>(width) * channels;
    passes = std::min(passes, kMaxPasses);
    for (int pass = 0; pass < passes; ++pass) {
        rows(pixels, width, height, channels, sizeX, stride);
        columns(pixels, width, height, channels, sizeY, stride);
    }
}

// Each row is copied into a zero-padded line first, so the box may run off both ends; the
// channels of a pixel are summed side by side. The channel count is a template argument so
// the loop over the channels unrolls.
template <int C>
void BlurRows(std::vector<std::uint32_t>& line, std::uint8_t* pixels, int width, int height,
              const Box& box, std::size_t stride) {
    const int pad = box.m + 2;
    line.assign(static_cast<std::size_t>(width + 2 * pad) * C, 0);
    std::uint32_t* src = line.data() + static_cast<std::ptrdiff_t>(pad) * C;
    const std::ptrdiff_t inner = static_cast<std::ptrdiff_t>(box.m) * C;
    const std::ptrdiff_t outer = inner + C;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * C;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
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

// Box::value on four lanes at once, from the sums of the whole pixels (s0) and of the two end
// pixels (ends, at most 510): the total s0 * (256 - f) + s1 * f is s0 * 256 + ends * f, one
// 16-bit multiply-add as the ends and f fit in 16 bits; the products by the reciprocal in
// 64-bit halves (_mm_mul_epu32 takes the even lanes). The numbers are those of the scalar code.
struct BoxLanes {
    __m128i frac, inverse, highHalves;
    explicit BoxLanes(const Box& box)
        : frac(_mm_set1_epi32(static_cast<int>(box.frac))),
          inverse(_mm_set1_epi32(static_cast<int>(box.inverse))),
          highHalves(_mm_set_epi32(-1, 0, -1, 0)) {}
};

inline __m128i ValueFour(const BoxLanes& k, __m128i s0, __m128i ends) {
    const __m128i total = _mm_add_epi32(_mm_slli_epi32(s0, 8), _mm_madd_epi16(ends, k.frac));
    const __m128i even = _mm_srli_epi64(_mm_mul_epu32(total, k.inverse), 32);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(total, 32), k.inverse);
    return _mm_or_si128(even, _mm_and_si128(odd, k.highHalves));
}

// Sixteen values of at most 255 into sixteen bytes.
inline __m128i Bytes16(__m128i a, __m128i b, __m128i c, __m128i d) {
    return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
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
// `src` the zero-padded sums' source, `out` four bytes per pixel, written for pixels
// [from, to) only. Four pixels a step, so that their values are worked out side by side and
// stored at once.
void BlurRowFour(const std::uint32_t* src, std::uint8_t* out, int from, int to, const Box& box) {
    const BoxLanes lanes(box);
    auto at = [src](std::ptrdiff_t x) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x * 4));
    };
    __m128i s0 = _mm_setzero_si128();
    for (int k = -box.m; k <= box.m; ++k) s0 = _mm_add_epi32(s0, at(from + k));
    auto step = [&](int x) {  // the value at x; s0 moves on to x + 1
        const __m128i ahead = at(x + box.m + 1);
        const __m128i v = ValueFour(lanes, s0, _mm_add_epi32(ahead, at(x - box.m - 1)));
        s0 = _mm_sub_epi32(_mm_add_epi32(s0, ahead), at(x - box.m));
        return v;
    };
    int x = from;
    for (; x + 4 <= to; x += 4) {
        const __m128i v0 = step(x), v1 = step(x + 1), v2 = step(x + 2), v3 = step(x + 3);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4), Bytes16(v0, v1, v2, v3));
    }
    for (; x < to; ++x) {
        const __m128i v = step(x);
        const auto word = static_cast<std::uint32_t>(
            _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, v), v)));
        std::memcpy(out + x * 4, &word, 4);
    }
}

// The bytes [first, last] of `p` (n bytes) that hold all its nonzero ones; false when there
// are none.
bool NonZeroBytes(const std::uint8_t* p, std::size_t n, std::size_t& first, std::size_t& last) {
    const __m128i zero = _mm_setzero_si128();
    auto clear16 = [&](std::size_t i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) == 0xFFFF;
    };
    std::size_t i = 0;
    while (i + 16 <= n && clear16(i)) i += 16;
    while (i < n && p[i] == 0) ++i;
    if (i == n) return false;
    first = i;
    std::size_t j = n;
    while (j >= first + 16 && clear16(j - 16)) j -= 16;
    while (p[j - 1] == 0) --j;
    last = j - 1;
    return true;
}

// The pixels a row's blur can make nonzero, [from, to), from its nonzero pixels [first, last].
struct Reach {
    int from, to;
    Reach(std::size_t first, std::size_t last, int width, const Box& box)
        : from(std::max(0, static_cast<int>(first) - box.m - 1)),
          to(std::min(width, static_cast<int>(last) + box.m + 2)) {}
};

// One output row of the column pass, sixteen bytes a step: `after` enters the box, `before`
// and `leaving` are its ends; `sums` holds s0 per byte and moves on to the next row. Returns
// the number of bytes done (a multiple of sixteen).
std::size_t BlurColumnRow(const Box& box, std::uint32_t* sums, const std::uint8_t* after,
                          const std::uint8_t* before, const std::uint8_t* leaving,
                          std::uint8_t* out, std::size_t n) {
    const BoxLanes lanes(box);
    const __m128i zero = _mm_setzero_si128();
    auto load = [](const std::uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    // Eight 16-bit lanes into four 32-bit ones: zero-extended (ends) or sign-extended (moves).
    auto low = [zero](__m128i v) { return _mm_unpacklo_epi16(v, zero); };
    auto high = [zero](__m128i v) { return _mm_unpackhi_epi16(v, zero); };
    auto lowSigned = [](__m128i v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); };
    auto highSigned = [](__m128i v) { return _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16); };
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i a = load(after + i), b = load(before + i), l = load(leaving + i);
        const __m128i aLo = _mm_unpacklo_epi8(a, zero), aHi = _mm_unpackhi_epi8(a, zero);
        const __m128i endsLo = _mm_add_epi16(aLo, _mm_unpacklo_epi8(b, zero));
        const __m128i endsHi = _mm_add_epi16(aHi, _mm_unpackhi_epi8(b, zero));
        const __m128i moveLo = _mm_sub_epi16(aLo, _mm_unpacklo_epi8(l, zero));
        const __m128i moveHi = _mm_sub_epi16(aHi, _mm_unpackhi_epi8(l, zero));
        __m128i* sum = reinterpret_cast<__m128i*>(sums + i);
        const __m128i s0 = _mm_loadu_si128(sum), s1 = _mm_loadu_si128(sum + 1);
        const __m128i s2 = _mm_loadu_si128(sum + 2), s3 = _mm_loadu_si128(sum + 3);
        // Nothing in the box and nothing at its ends: the result is 0, as the pixel already
        // is (it lies in the box), and the sums stay 0. Clear margins are common.
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(s0, s1)),
                                         _mm_or_si128(s2, s3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, zero)) == 0xFFFF) continue;
        auto value = [&](int k, __m128i s, __m128i ends, __m128i move) {
            _mm_storeu_si128(sum + k, _mm_add_epi32(s, move));
            return ValueFour(lanes, s, ends);
        };
        const __m128i v0 = value(0, s0, low(endsLo), lowSigned(moveLo));
        const __m128i v1 = value(1, s1, high(endsLo), highSigned(moveLo));
        const __m128i v2 = value(2, s2, low(endsHi), lowSigned(moveHi));
        const __m128i v3 = value(3, s3, high(endsHi), highSigned(moveHi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), Bytes16(v0, v1, v2, v3));
    }
    return i;
}

#if defined(SAVER_BLUR_AVX2)
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// BlurColumnRow thirty-two bytes a step, on eight 32-bit lanes: each group of eight bytes
// widened to its own register, so that the lanes line up with the sums; the packs work within
// 128-bit halves, and a final permute puts the bytes back in order. (No lambdas: they would
// not share the function's target.)
__attribute__((target("avx2"))) std::size_t BlurColumnRowWide(const Box& box, std::uint32_t* sums,
                                                              const std::uint8_t* after,
                                                              const std::uint8_t* before,
                                                              const std::uint8_t* leaving,
                                                              std::uint8_t* out, std::size_t n) {
    const __m256i frac = _mm256_set1_epi32(static_cast<int>(box.frac));
    const __m256i inverse = _mm256_set1_epi32(static_cast<int>(box.inverse));
    const __m256i highHalves = _mm256_set_epi32(-1, 0, -1, 0, -1, 0, -1, 0);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        auto* sum = reinterpret_cast<__m256i*>(sums + i);
        __m256i s[4], v[4];
        for (int k = 0; k < 4; ++k) s[k] = _mm256_loadu_si256(sum + k);
        const __m256i a32 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(after + i));
        const __m256i b32 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(before + i));
        const __m256i any = _mm256_or_si256(
            _mm256_or_si256(a32, b32),
            _mm256_or_si256(_mm256_or_si256(s[0], s[1]), _mm256_or_si256(s[2], s[3])));
        if (_mm256_testz_si256(any, any)) continue;  // a clear block stays clear
        for (int k = 0; k < 4; ++k) {
            const std::size_t at = i + static_cast<std::size_t>(k) * 8;
            const __m256i a =
                _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(after + at)));
            const __m256i b = _mm256_cvtepu8_epi32(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(before + at)));
            const __m256i l = _mm256_cvtepu8_epi32(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(leaving + at)));
            _mm256_storeu_si256(sum + k, _mm256_add_epi32(s[k], _mm256_sub_epi32(a, l)));
            const __m256i total = _mm256_add_epi32(_mm256_slli_epi32(s[k], 8),
                                                   _mm256_madd_epi16(_mm256_add_epi32(a, b), frac));
            const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(total, inverse), 32);
            const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(total, 32), inverse);
            v[k] = _mm256_or_si256(even, _mm256_and_si256(odd, highHalves));
        }
        const __m256i packed =
            _mm256_packus_epi16(_mm256_packs_epi32(v[0], v[1]), _mm256_packs_epi32(v[2], v[3]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_permutevar8x32_epi32(packed, order));
    }
    return i;
}
#endif

// Four rows of one channel at a time, interleaved into lanes, then BlurRowFour over the
// pixels the four rows' nonzero ones reach (clear rows stay clear); the rows left over are
// done one by one. Returns the first row not done.
int BlurRowsOfOne(std::vector<std::uint32_t>& line, std::vector<std::uint8_t>& out,
                  std::uint8_t* pixels, int width, int height, const Box& box, std::size_t stride) {
    const int pad = box.m + 2;
    line.assign(static_cast<std::size_t>(width + 2 * pad) * 4, 0);
    out.resize(static_cast<std::size_t>(width) * 4);
    std::uint32_t* src = line.data() + static_cast<std::ptrdiff_t>(pad) * 4;
    const std::size_t w = static_cast<std::size_t>(width);
    int y = 0;
    for (; y + 4 <= height; y += 4) {
        std::uint8_t* rows[4];
        std::size_t first = w, last = 0;
        for (int r = 0; r < 4; ++r) {
            rows[r] = pixels + (static_cast<std::size_t>(y) + r) * stride;
            std::size_t f = 0, l = 0;
            if (!NonZeroBytes(rows[r], w, f, l)) continue;
            first = std::min(first, f);
            last = std::max(last, l);
        }
        if (first > last) continue;
        std::size_t x = 0;
        for (; x + 16 <= w; x += 16) Interleave16(rows, x, src);
        for (; x < w; ++x)
            for (int r = 0; r < 4; ++r) src[x * 4 + r] = rows[r][x];
        const Reach reach(first, last, width, box);
        std::memset(out.data(), 0, out.size());  // the blocks only partly in reach
        BlurRowFour(src, out.data(), reach.from, reach.to, box);
        const auto to = static_cast<std::size_t>(reach.to);
        for (x = static_cast<std::size_t>(reach.from) / 16 * 16; x < to && x + 16 <= w; x += 16)
            Deinterleave16(out.data() + x * 4, rows, x);
        for (; x < to; ++x)
            for (int r = 0; r < 4; ++r) rows[r][x] = out[x * 4 + r];
    }
    return y;
}

}  // namespace
#endif

void BoxBlur::rows(std::uint8_t* pixels, int width, int height, int channels, double size,
                   std::size_t stride) {
    const Box box(size);
    if (box.identity) return;
#if defined(__SSE2__)
    if (channels == 4) {
        const int pad = box.m + 2;
        line_.assign(static_cast<std::size_t>(width + 2 * pad) * 4, 0);
        std::uint32_t* src = line_.data() + static_cast<std::ptrdiff_t>(pad) * 4;
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
            std::size_t first = 0, last = 0;
            if (!NonZeroBytes(row, rowBytes, first, last)) continue;  // a clear row stays clear
            Widen(row, src, rowBytes);
            const Reach reach(first / 4, last / 4, width, box);
            BlurRowFour(src, row, reach.from, reach.to, box);
        }
        return;
    }
    const int done = BlurRowsOfOne(line_, copy_, pixels, width, height, box, stride);
    BlurRows<1>(line_, pixels + static_cast<std::size_t>(done) * stride, width, height - done, box,
                stride);
#else
    if (channels == 4)
        BlurRows<4>(line_, pixels, width, height, box, stride);
    else
        BlurRows<1>(line_, pixels, width, height, box, stride);
#endif
}

// Columns run over whole rows at a time: one sum per column and channel, moved down a row per
// output row, so memory is read in order. The box's upper ends are rows already written, so
// the last m + 2 rows' originals are kept in a ring (small enough to stay in the cache, where
// a copy of the whole image was not); a row of zeros stands for every row beyond the image.
void BoxBlur::columns(std::uint8_t* pixels, int width, int height, int channels, double size,
                      std::size_t stride) {
    const Box box(size);
    if (box.identity) return;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    const int kept = box.m + 2;  // rows y - m - 1 .. y
    copy_.resize(rowBytes * (static_cast<std::size_t>(kept) + 1));
    std::uint8_t* const zeros = copy_.data() + rowBytes * kept;
    std::memset(zeros, 0, rowBytes);
    line_.assign(rowBytes, 0);
    auto original = [&](int y) -> const std::uint8_t* {  // a row at or above the one written
        return y >= 0 ? copy_.data() + rowBytes * (y % kept) : zeros;
    };
    std::uint32_t* __restrict sums = line_.data();
    for (int k = 0; k <= box.m && k < height; ++k) {
        const std::uint8_t* r = pixels + stride * k;
        for (std::size_t i = 0; i < rowBytes; ++i) sums[i] += r[i];
    }
#if defined(SAVER_BLUR_AVX2)
    const bool wide = HasAvx2();
#endif
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = pixels + stride * y;
        std::memcpy(copy_.data() + rowBytes * (y % kept), out, rowBytes);
        const int below = y + box.m + 1;
        const std::uint8_t* after = below < height ? pixels + stride * below : zeros;
        const std::uint8_t* before = original(y - box.m - 1);
        const std::uint8_t* leaving = original(y - box.m);
        std::size_t i = 0;
#if defined(SAVER_BLUR_AVX2)
        if (wide) i = BlurColumnRowWide(box, sums, after, before, leaving, out, rowBytes);
#endif
#if defined(__SSE2__)
        i +=
            BlurColumnRow(box, sums + i, after + i, before + i, leaving + i, out + i, rowBytes - i);
#endif
        for (; i < rowBytes; ++i) {
            const std::uint32_t a = after[i];
            out[i] = box.value(sums[i], sums[i] + a + before[i]);
            sums[i] += a - leaving[i];
        }
    }
}

}  // namespace saver::swf
