// The rules are template arguments, so each variant runs one loop without tests per pixel.
// The vector path works on 16-bit lanes: every product is MulDiv255 rounded as the scalar
// one, sums stay below 2^9, and the pack's saturation is the cap at 255.
#include "swf/render/FilterSpans.h"

#include <algorithm>
#include <cstring>

#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

enum class Place { Inner, Outer, Alone, OnTop };

inline int M(int x, int y) {
    return static_cast<int>(MulDiv255(static_cast<unsigned>(x), static_cast<unsigned>(y)));
}

inline int Channel(std::uint32_t v, int k) {
    return static_cast<int>((v >> (8 * k)) & 0xFF);
}

void Store(std::uint8_t* p, const int (&c)[4]) {
    const int a = std::clamp(c[3], 0, 255);
    for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(std::clamp(c[k], 0, a));
    p[3] = static_cast<std::uint8_t>(a);
}

// One pixel `p` with the colour `c` put `At` it; `Keep`: the object stays (not knocked out).
template <Place At, bool Keep>
void CombineOne(std::uint32_t c, std::uint8_t* p) {
    const int ca = Channel(c, 3), da = p[3];
    int out[4];
    for (int k = 0; k < 4; ++k) {
        const int ck = Channel(c, k);
        if constexpr (At == Place::Inner)
            out[k] = M(ck, da) + (Keep ? M(p[k], 255 - ca) : 0);
        else if constexpr (At == Place::Outer)
            out[k] = M(ck, 255 - da) + (Keep ? p[k] : 0);
        else if constexpr (At == Place::OnTop)
            out[k] = Keep ? M(p[k], 255 - ca) + ck : ck;
        else
            out[k] = ck;
    }
    Store(p, out);
}

#if defined(__SSE2__)
// CombineOne on four pixels: `c` their colours, `d` the pixels.
template <Place At, bool Keep>
__m128i CombineFour(__m128i c, __m128i d) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    auto half = [&](__m128i c16, __m128i d16) {
        const __m128i ca = AlphaLanes(c16), da = AlphaLanes(d16);
        if constexpr (At == Place::Inner) {
            const __m128i in = MulDiv255Lanes(c16, da);
            return Keep ? _mm_add_epi16(in, MulDiv255Lanes(d16, _mm_sub_epi16(full, ca))) : in;
        } else if constexpr (At == Place::Outer) {
            const __m128i out = MulDiv255Lanes(c16, _mm_sub_epi16(full, da));
            return Keep ? _mm_add_epi16(out, d16) : out;
        } else if constexpr (At == Place::OnTop) {
            return Keep ? _mm_add_epi16(MulDiv255Lanes(d16, _mm_sub_epi16(full, ca)), c16) : c16;
        } else {
            return c16;
        }
    };
    const __m128i packed =
        _mm_packus_epi16(half(_mm_unpacklo_epi8(c, zero), _mm_unpacklo_epi8(d, zero)),
                         half(_mm_unpackhi_epi8(c, zero), _mm_unpackhi_epi8(d, zero)));
    // Each colour at most its pixel's alpha: the alpha byte copied into all four.
    __m128i a = _mm_and_si128(packed, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    a = _mm_or_si128(a, _mm_srli_epi32(a, 8));
    a = _mm_or_si128(a, _mm_srli_epi32(a, 16));
    return _mm_min_epu8(packed, a);
}

// Whether four pixels come out as they are whatever colour is put at them: outside an object
// that stays, its opaque pixels (the colour goes under them); inside it, its clear pixels.
// The inside of a filled shape and the margins around it are most of a filtered rectangle.
template <Place At, bool Keep>
bool Unchanged(__m128i d) {
    const __m128i alpha = _mm_and_si128(d, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    if constexpr (At == Place::Outer && Keep)
        return _mm_movemask_epi8(
                   _mm_cmpeq_epi32(alpha, _mm_set1_epi32(static_cast<int>(0xFF000000u)))) == 0xFFFF;
    else if constexpr (At == Place::Inner)
        return _mm_movemask_epi8(_mm_cmpeq_epi32(d, _mm_setzero_si128())) == 0xFFFF;
    else
        return false;
}

inline __m128i Gather(const std::uint32_t* table, int i0, int i1, int i2, int i3) {
    return _mm_set_epi32(static_cast<int>(table[i3]), static_cast<int>(table[i2]),
                         static_cast<int>(table[i1]), static_cast<int>(table[i0]));
}
#endif

template <Place At, bool Keep>
void Shadow(const std::uint32_t* colors, const std::uint8_t* levels, std::uint8_t* pixels,
            std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        std::uint32_t four;
        std::memcpy(&four, levels + i, 4);
        if (four == 0 && colors[0] == 0 && Keep) continue;  // no shadow: the object stays
        __m128i* out = reinterpret_cast<__m128i*>(pixels + i * 4);
        const __m128i d = _mm_loadu_si128(out);
        if (Unchanged<At, Keep>(d)) continue;
        const __m128i c = Gather(colors, levels[i], levels[i + 1], levels[i + 2], levels[i + 3]);
        // A clear colour leaves the object, or clears the pixel when it is not kept.
        const __m128i clear = _mm_cmpeq_epi32(c, zero);
        const __m128i none = Keep ? d : zero;
        _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(clear, none),
                                           _mm_andnot_si128(clear, CombineFour<At, Keep>(c, d))));
    }
#endif
    for (; i < n; ++i) {
        const std::uint32_t c = colors[levels[i]];
        std::uint8_t* p = pixels + i * 4;
        if (c == 0) {
            if (!Keep) std::memset(p, 0, 4);
            continue;
        }
        CombineOne<At, Keep>(c, p);
    }
}

template <Place At, bool Keep>
void Bevel(const std::uint32_t* lights, const std::uint8_t* toLight, const std::uint8_t* away,
           std::uint8_t* pixels, std::size_t n) {
    std::size_t i = 0;
    auto index = [&](std::size_t k) { return toLight[k] - away[k] + 255; };
#if defined(__SSE2__)
    const bool flatClear = lights[255] == 0;  // no light where the two blurs agree
    for (; i + 4 <= n; i += 4) {
        __m128i* out = reinterpret_cast<__m128i*>(pixels + i * 4);
        const __m128i d = _mm_loadu_si128(out);
        // Flat and clear around the object (most of a grown rectangle): every rule leaves
        // clear pixels clear under no light.
        std::uint32_t lit, unlit;
        std::memcpy(&lit, toLight + i, 4);
        std::memcpy(&unlit, away + i, 4);
        if (flatClear && lit == unlit &&
            _mm_movemask_epi8(_mm_cmpeq_epi8(d, _mm_setzero_si128())) == 0xFFFF)
            continue;
        if (Unchanged<At, Keep>(d)) continue;
        const __m128i g = Gather(lights, index(i), index(i + 1), index(i + 2), index(i + 3));
        _mm_storeu_si128(out, CombineFour<At, Keep>(g, d));
    }
#endif
    for (; i < n; ++i) CombineOne<At, Keep>(lights[index(i)], pixels + i * 4);
}

}  // namespace

void ShadowSpan(const ShadowRule& rule, const std::uint32_t* colors, const std::uint8_t* levels,
                std::uint8_t* pixels, std::size_t n) {
    const bool keep = rule.compositeSource && !rule.knockout;
    if (rule.inner) {
        if (keep)
            Shadow<Place::Inner, true>(colors, levels, pixels, n);
        else
            Shadow<Place::Inner, false>(colors, levels, pixels, n);
    } else if (rule.knockout) {
        Shadow<Place::Outer, false>(colors, levels, pixels, n);
    } else if (rule.compositeSource) {
        Shadow<Place::Outer, true>(colors, levels, pixels, n);
    } else {
        Shadow<Place::Alone, false>(colors, levels, pixels, n);
    }
}

void BevelSpan(const BevelRule& rule, const std::uint32_t* lights, const std::uint8_t* toLight,
               const std::uint8_t* away, std::uint8_t* pixels, std::size_t n) {
    const bool keep = !rule.knockout;
    if (rule.onTop) {
        if (keep)
            Bevel<Place::OnTop, true>(lights, toLight, away, pixels, n);
        else
            Bevel<Place::OnTop, false>(lights, toLight, away, pixels, n);
    } else if (rule.inner) {
        if (keep)
            Bevel<Place::Inner, true>(lights, toLight, away, pixels, n);
        else
            Bevel<Place::Inner, false>(lights, toLight, away, pixels, n);
    } else {
        if (keep)
            Bevel<Place::Outer, true>(lights, toLight, away, pixels, n);
        else
            Bevel<Place::Outer, false>(lights, toLight, away, pixels, n);
    }
}

}  // namespace saver::swf
