// The vector colour matrix keeps the four pixels in lanes of one channel each (B, G, R, A
// planes of four), so each matrix row is the scalar expression evaluated on four pixels, one
// operation after another in the same order: no fused multiply-add, the same divisions, the
// same truncation after adding one half.
#include "swf/render/ColorFilterSpans.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace saver::swf {

namespace {

// A level clamped to 0..255 as SSE2's max and min do it: a level that is not a number
// becomes 0 (casting it to a byte would be undefined).
inline float Clamp255(float v) {
    const float low = v > 0.0f ? v : 0.0f;
    return low < 255.0f ? low : 255.0f;
}

void ColorMatrixOne(const std::array<float, 20>& m, std::uint8_t* p) {
    const float a = p[3];
    const float k = a > 0 ? 255.0f / a : 0.0f;
    const float r = p[2] * k, g = p[1] * k, b = p[0] * k;
    auto row = [&](int j) {
        return Clamp255(m[j] * r + m[j + 1] * g + m[j + 2] * b + m[j + 3] * a + m[j + 4]);
    };
    const float na = row(15);
    const float scale = na / 255.0f;
    p[0] = static_cast<std::uint8_t>(row(10) * scale + 0.5f);
    p[1] = static_cast<std::uint8_t>(row(5) * scale + 0.5f);
    p[2] = static_cast<std::uint8_t>(row(0) * scale + 0.5f);
    p[3] = static_cast<std::uint8_t>(na + 0.5f);
}

#if defined(__SSE2__)
// Four pixels; a level that is not a number (a matrix that is not finite) comes out 0.
void ColorMatrixFour(const std::array<float, 20>& m, std::uint8_t* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i byte = _mm_set1_epi32(0xFF);
    const __m128 b0 = _mm_cvtepi32_ps(_mm_and_si128(v, byte));
    const __m128 g0 = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(v, 8), byte));
    const __m128 r0 = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(v, 16), byte));
    const __m128 a = _mm_cvtepi32_ps(_mm_srli_epi32(v, 24));
    const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f);
    const __m128 k = _mm_and_ps(_mm_div_ps(top, a), _mm_cmpgt_ps(a, zero));
    const __m128 r = _mm_mul_ps(r0, k), g = _mm_mul_ps(g0, k), b = _mm_mul_ps(b0, k);
    auto row = [&](int j) {
        __m128 s = _mm_mul_ps(_mm_set1_ps(m[j]), r);
        s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(m[j + 1]), g));
        s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(m[j + 2]), b));
        s = _mm_add_ps(s, _mm_mul_ps(_mm_set1_ps(m[j + 3]), a));
        s = _mm_add_ps(s, _mm_set1_ps(m[j + 4]));
        return _mm_min_ps(_mm_max_ps(s, zero), top);
    };
    const __m128 na = row(15);
    const __m128 scale = _mm_div_ps(na, top);
    const __m128 half = _mm_set1_ps(0.5f);
    auto level = [&](__m128 x) { return _mm_cvttps_epi32(_mm_add_ps(x, half)); };
    const __m128i out =
        _mm_or_si128(_mm_or_si128(level(_mm_mul_ps(row(10), scale)),
                                  _mm_slli_epi32(level(_mm_mul_ps(row(5), scale)), 8)),
                     _mm_or_si128(_mm_slli_epi32(level(_mm_mul_ps(row(0), scale)), 16),
                                  _mm_slli_epi32(level(na), 24)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
}
#endif

}  // namespace

void ColorMatrixSpan(const std::array<float, 20>& m, std::uint8_t* pixels, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Clear pixels (the margins a filtered object grows by) all come out as the matrix's
    // offsets make them: worked out once.
    alignas(16) std::uint8_t clear[16] = {};
    ColorMatrixFour(m, clear);
    const __m128i fromClear = _mm_load_si128(reinterpret_cast<const __m128i*>(clear));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        auto* p = reinterpret_cast<__m128i*>(pixels + i * 4);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(p), zero)) == 0xFFFF)
            _mm_storeu_si128(p, fromClear);
        else
            ColorMatrixFour(m, pixels + i * 4);
    }
#endif
    for (; i < n; ++i) ColorMatrixOne(m, pixels + i * 4);
}

void ConvolveSpan(const float* source, std::size_t stride, const float* kernel, int kx, int ky,
                  float* sums, std::size_t n) {
    // Taps of weight zero add nothing (a zero product of a finite level), so only the others
    // are summed, still in the plain loop's order. Sharpening and edge kernels are mostly
    // zeros.
    constexpr int kMaxTaps = 15 * 15;
    std::size_t offsets[kMaxTaps];
    float weights[kMaxTaps];
    int taps = 0;
    for (int j = 0; j < ky && taps < kMaxTaps; ++j)
        for (int i = 0; i < kx && taps < kMaxTaps; ++i)
            if (const float w = kernel[static_cast<std::size_t>(j) * kx + i]; w != 0.0f) {
                offsets[taps] =
                    static_cast<std::size_t>(j) * stride + static_cast<std::size_t>(i) * 4;
                weights[taps++] = w;
            }
    std::size_t x = 0;
#if defined(__SSE2__)
    // Four pixels side by side: each sum is one long chain of additions (in the plain loop's
    // order, which fixes the numbers), so four chains at once keep the adder busy.
    for (; x + 4 <= n; x += 4, source += 16, sums += 16) {
        __m128 s0 = _mm_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
        for (int t = 0; t < taps; ++t) {
            const float* tap = source + offsets[t];
            const __m128 w = _mm_set1_ps(weights[t]);
            s0 = _mm_add_ps(s0, _mm_mul_ps(w, _mm_loadu_ps(tap)));
            s1 = _mm_add_ps(s1, _mm_mul_ps(w, _mm_loadu_ps(tap + 4)));
            s2 = _mm_add_ps(s2, _mm_mul_ps(w, _mm_loadu_ps(tap + 8)));
            s3 = _mm_add_ps(s3, _mm_mul_ps(w, _mm_loadu_ps(tap + 12)));
        }
        _mm_storeu_ps(sums, s0);
        _mm_storeu_ps(sums + 4, s1);
        _mm_storeu_ps(sums + 8, s2);
        _mm_storeu_ps(sums + 12, s3);
    }
#endif
    for (; x < n; ++x, source += 4, sums += 4) {
        float sum[4] = {0, 0, 0, 0};
        for (int t = 0; t < taps; ++t)
            for (int c = 0; c < 4; ++c) sum[c] += weights[t] * source[offsets[t] + c];
        std::memcpy(sums, sum, sizeof sum);
    }
}

void ConvolvedPixels(const float* sums, float scale, float bias, bool preserveAlpha,
                     std::uint8_t* pixels, std::size_t n) {
    for (std::size_t x = 0; x < n; ++x, sums += 4, pixels += 4) {
        std::uint8_t* p = pixels;
#if defined(__SSE2__)
        const __m128 top = _mm_set1_ps(255.0f);
        const __m128 v = _mm_min_ps(
            _mm_max_ps(
                _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(sums), _mm_set1_ps(scale)), _mm_set1_ps(bias)),
                _mm_setzero_ps()),
            top);
        float a = preserveAlpha ? p[3] : _mm_cvtss_f32(_mm_shuffle_ps(v, v, 0xFF));
        const __m128 levels =
            _mm_add_ps(_mm_div_ps(_mm_mul_ps(v, _mm_set1_ps(a)), top), _mm_set1_ps(0.5f));
        const __m128i words = _mm_cvttps_epi32(levels);
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(words, words), words);
        const auto word = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
        std::memcpy(p, &word, 3);
#else
        const float a = preserveAlpha ? p[3] : Clamp255(sums[3] * scale + bias);
        for (int c = 0; c < 3; ++c) {
            const float v = Clamp255(sums[c] * scale + bias);
            p[c] = static_cast<std::uint8_t>(v * a / 255.0f + 0.5f);
        }
#endif
        p[3] = static_cast<std::uint8_t>(a + 0.5f);
    }
}

}  // namespace saver::swf
