// SpanBlend: blending runs of premultiplied colours into a premultiplied BGRA row:
// dst = src * cover + dst * (1 - srcAlpha * cover), alpha included (a frame is opaque, the
// layer of a group starts transparent).
#pragma once

#include <agg_color_rgba.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace saver::swf {

// x * y / 255, rounded.
inline unsigned MulDiv255(unsigned x, unsigned y) {
    const unsigned t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

inline void BlendPixel(std::uint8_t* p, const agg::rgba8& c, unsigned cover) {
    unsigned r = c.r, g = c.g, b = c.b, a = c.a;
    if (cover != 255) {
        r = MulDiv255(r, cover);
        g = MulDiv255(g, cover);
        b = MulDiv255(b, cover);
        a = MulDiv255(a, cover);
    }
    if (a == 255) {
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        p[3] = 255;
    } else if (a != 0 || (r | g | b) != 0) {
        // A colour above its alpha (a script's bitmap can hold one) saturates.
        const unsigned keep = 255 - a;
        p[0] = static_cast<std::uint8_t>(std::min(255u, b + MulDiv255(p[0], keep)));
        p[1] = static_cast<std::uint8_t>(std::min(255u, g + MulDiv255(p[1], keep)));
        p[2] = static_cast<std::uint8_t>(std::min(255u, r + MulDiv255(p[2], keep)));
        p[3] = static_cast<std::uint8_t>(std::min(255u, a + MulDiv255(p[3], keep)));
    }
}

// How many of the first `len` covers are full, eight at a time where possible.
inline unsigned FullCovers(const std::uint8_t* covers, unsigned len) {
    unsigned n = 0;
    for (; n + 8 <= len; n += 8) {
        std::uint64_t word;
        std::memcpy(&word, covers + n, 8);
        if (word != ~std::uint64_t{0}) break;
    }
    while (n < len && covers[n] == 255) ++n;
    return n;
}

// `len` pixels from `p` on set to the same four bytes.
inline void FillPixels(std::uint8_t* p, std::uint32_t pattern, unsigned len) {
    for (unsigned i = 0; i < len; ++i) std::memcpy(p + i * 4, &pattern, 4);
}

// The four channels of `v` each times `k` / 255, rounded as MulDiv255 does: two channels per
// 32-bit multiply, each lane staying below 2^16 so that none carries into the next.
inline std::uint32_t MulDiv255Packed(std::uint32_t v, std::uint32_t k) {
    std::uint32_t rb = (v & 0x00FF00FFu) * k + 0x00800080u;
    std::uint32_t ga = ((v >> 8) & 0x00FF00FFu) * k + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    ga = ((ga + ((ga >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    return rb | (ga << 8);
}

// One premultiplied B, G, R, A colour `c` weighted by `cover` blended into the pixel `d`: the
// same numbers as BlendPixel (a cover of 255 and a colour of alpha 255 or all zero come out
// of the same formula, as MulDiv255(x, 255) is x).
inline std::uint32_t BlendPacked(std::uint32_t c, std::uint32_t d, unsigned cover) {
    if (cover != 255) c = MulDiv255Packed(c, cover);
    d = MulDiv255Packed(d, 255 - (c >> 24));
    // Channel by channel in 16-bit lanes; a lane that carries past 255 saturates.
    std::uint32_t rb = (c & 0x00FF00FFu) + (d & 0x00FF00FFu);
    std::uint32_t ga = ((c >> 8) & 0x00FF00FFu) + ((d >> 8) & 0x00FF00FFu);
    rb = (rb | ((rb >> 8) & 0x00010001u) * 0xFFu) & 0x00FF00FFu;
    ga = (ga | ((ga >> 8) & 0x00010001u) * 0xFFu) & 0x00FF00FFu;
    return rb | ga << 8;
}

#if defined(__SSE2__)
// x * k / 255 rounded as MulDiv255 does, in 16-bit lanes (x, k at most 255).
inline __m128i MulDiv255Lanes(__m128i x, __m128i k) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, k), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Each pixel's alpha lane copied into its three colour lanes (16-bit lanes, two pixels).
inline __m128i AlphaLanes(__m128i v) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 3, 3)),
                               _MM_SHUFFLE(3, 3, 3, 3));
}

// BlendPacked on four pixels at once; `covers4` holds their four covers, lowest first.
inline __m128i BlendFour(__m128i c, __m128i d, std::uint32_t covers4) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    __m128i cl = _mm_unpacklo_epi8(c, zero), ch = _mm_unpackhi_epi8(c, zero);
    if (covers4 != 0xFFFFFFFFu) {
        __m128i k = _mm_cvtsi32_si128(static_cast<int>(covers4));
        k = _mm_unpacklo_epi8(k, k);
        k = _mm_unpacklo_epi16(k, k);  // each cover in its pixel's four bytes
        cl = MulDiv255Lanes(cl, _mm_unpacklo_epi8(k, zero));
        ch = MulDiv255Lanes(ch, _mm_unpackhi_epi8(k, zero));
    }
    const __m128i dl =
        MulDiv255Lanes(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, AlphaLanes(cl)));
    const __m128i dh =
        MulDiv255Lanes(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, AlphaLanes(ch)));
    return _mm_adds_epu8(_mm_packus_epi16(cl, ch), _mm_packus_epi16(dl, dh));
}
#endif

// `len` premultiplied B, G, R, A colours weighted by `covers` (null: full) blended into the
// pixels from `p` on, four at a time where SSE2 is there: the numbers of BlendPixel.
inline void BlendBgra(std::uint8_t* p, const std::uint32_t* colors, const std::uint8_t* covers,
                      unsigned len) {
    unsigned i = 0;
#if defined(__SSE2__)
    const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= len; i += 4) {
        std::uint32_t k = 0xFFFFFFFFu;
        if (covers != nullptr) std::memcpy(&k, covers + i, 4);
        if (k == 0) continue;
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + i));
        __m128i* out = reinterpret_cast<__m128i*>(p + i * 4);
        if (k == 0xFFFFFFFFu &&
            _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(c, alphaBits), alphaBits)) == 0xFFFF) {
            _mm_storeu_si128(out, c);
            continue;
        }
        _mm_storeu_si128(out, BlendFour(c, _mm_loadu_si128(out), k));
    }
#endif
    for (; i < len; ++i) {
        const unsigned cover = covers != nullptr ? covers[i] : 255u;
        if (cover == 0) continue;
        std::uint32_t d;
        std::memcpy(&d, p + i * 4, 4);
        d = BlendPacked(colors[i], d, cover);
        std::memcpy(p + i * 4, &d, 4);
    }
}

// Adds `len` colours weighted by their covers to a row of mixed colours, each pixel's covers
// summed in `used` and capped at full (a cover beyond what is left is cut to it); channels
// saturate at 255. The numbers of agg's rgba8::add, four pixels at a time where SSE2 is there.
inline void AddCovered(std::uint32_t* mix, std::uint8_t* used, const std::uint32_t* colors,
                       const std::uint8_t* covers, unsigned len) {
    unsigned i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_set1_epi8(static_cast<char>(0xFF));
    for (; i + 4 <= len; i += 4) {
        std::uint32_t c4, u4;
        std::memcpy(&c4, covers + i, 4);
        std::memcpy(&u4, used + i, 4);
        const __m128i u = _mm_cvtsi32_si128(static_cast<int>(u4));
        __m128i k = _mm_min_epu8(_mm_cvtsi32_si128(static_cast<int>(c4)), _mm_subs_epu8(ones, u));
        const auto left = static_cast<std::uint32_t>(_mm_cvtsi128_si32(k));
        if (left == 0) continue;
        const auto now = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(u, k)));
        std::memcpy(used + i, &now, 4);
        k = _mm_unpacklo_epi8(k, k);
        k = _mm_unpacklo_epi16(k, k);  // each cover in its pixel's four bytes
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + i));
        const __m128i lo = MulDiv255Lanes(_mm_unpacklo_epi8(c, zero), _mm_unpacklo_epi8(k, zero));
        const __m128i hi = MulDiv255Lanes(_mm_unpackhi_epi8(c, zero), _mm_unpackhi_epi8(k, zero));
        __m128i* out = reinterpret_cast<__m128i*>(mix + i);
        _mm_storeu_si128(out, _mm_adds_epu8(_mm_loadu_si128(out), _mm_packus_epi16(lo, hi)));
    }
#endif
    for (; i < len; ++i) {
        const unsigned cover = std::min<unsigned>(covers[i], 255u - used[i]);
        if (cover == 0) continue;
        used[i] = static_cast<std::uint8_t>(used[i] + cover);
        const std::uint32_t c = MulDiv255Packed(colors[i], cover);
        std::uint32_t m = mix[i];
        std::uint32_t sum = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const std::uint32_t v = ((m >> shift) & 0xFF) + ((c >> shift) & 0xFF);
            sum |= std::min<std::uint32_t>(v, 255) << shift;
        }
        mix[i] = sum;
    }
}

// `len` pixels from `p` on: one colour each from `colors`, weighted by `covers` (null: full).
// The same numbers as BlendPixel, on whole pixels (agg's R, G, B, A turned into B, G, R, A).
inline void BlendColors(std::uint8_t* p, const agg::rgba8* colors, const std::uint8_t* covers,
                        unsigned len) {
    for (unsigned i = 0; i < len; ++i, p += 4) {
        const unsigned cover = covers != nullptr ? covers[i] : 255u;
        if (cover == 0) continue;
        std::uint32_t c;
        std::memcpy(&c, &colors[i], 4);
        c = (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
        if (cover != 255) c = MulDiv255Packed(c, cover);
        const std::uint32_t a = c >> 24;
        if (a == 255) {
            std::memcpy(p, &c, 4);
        } else if (c != 0) {
            std::uint32_t d;
            std::memcpy(&d, p, 4);
            d = MulDiv255Packed(d, 255 - a);
            // Channel by channel, wrapping as a byte does.
            const std::uint32_t rb = ((c & 0x00FF00FFu) + (d & 0x00FF00FFu)) & 0x00FF00FFu;
            const std::uint32_t ga = ((c & 0xFF00FF00u) + (d & 0xFF00FF00u)) & 0xFF00FF00u;
            d = rb | ga;
            std::memcpy(p, &d, 4);
        }
    }
}

}  // namespace saver::swf
