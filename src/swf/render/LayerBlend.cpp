// Every mode runs on integers over premultiplied colour, with the separable-blend formula
//   out = s * (1 - da) + d * (1 - sa) + sa * da * B(s / sa, d / da),  alpha = sa + da * (1 - sa)
// rewritten so that no division is needed where B allows it (multiply, lighten, darken,
// difference, invert, overlay, hard light); add, subtract and screen combine the premultiplied
// colours directly. The mode is a template argument, so each row runs one tight loop.
#include "swf/render/LayerBlend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

using Pixel = std::array<int, 4>;  // B, G, R, A, premultiplied 0..255

inline int M(int x, int y) {
    return static_cast<int>(MulDiv255(static_cast<unsigned>(x), static_cast<unsigned>(y)));
}

// The colour transform as four 256-entry tables on unpremultiplied channels, and the
// reciprocals that unpremultiply. A finished layer is transformed as a bitmap is: rounded to
// the nearest level, where a shape's colours are rounded down.
class TransformTables {
  public:
    explicit TransformTables(const ColorTransform& cx) {
        const double mul[4] = {cx.mulB, cx.mulG, cx.mulR, cx.mulA};
        const double add[4] = {cx.addB, cx.addG, cx.addR, cx.addA};
        for (int c = 0; c < 4; ++c)
            for (int v = 0; v < 256; ++v)
                table_[c][v] = static_cast<std::uint8_t>(
                    std::clamp(std::floor(v * mul[c] + add[c] + 0.5), 0.0, 255.0));
        for (int a = 1; a < 256; ++a) recip_[a] = ((255u << 16) + a / 2) / a;
    }
    Pixel apply(const std::uint8_t* p) const {
        const unsigned a = p[3], r = recip_[a];
        auto un = [r](unsigned v) { return std::min(255u, (v * r + 0x8000) >> 16); };
        const int na = table_[3][a];
        return {M(table_[0][un(p[0])], na), M(table_[1][un(p[1])], na), M(table_[2][un(p[2])], na),
                na};
    }

  private:
    std::array<std::array<std::uint8_t, 256>, 4> table_{};
    std::array<unsigned, 256> recip_{};
};

// Whether four pixels from `p` on are all fully transparent.
inline bool ClearRun(const std::uint8_t* p) {
    std::uint64_t a, b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    return ((a | b) & 0xFF000000FF000000ull) == 0;
}

inline int Over(int sa, int da) {
    return sa + M(da, 255 - sa);
}

// floor(y / 255) for the terms below (|y| < 2^17), without a division.
inline int Div255(int y) {
    return (y + 1 + ((y + 1) >> 8)) >> 8;
}

// Hard light's sa * da * B(s / sa, d / da) / 255, rounded: B is 2 s d where the layer's colour
// is at most half (screen above it), which on premultiplied colours is 2 sc dc, or
// sa da - 2 (sa - sc) (da - dc). Overlay is the same with the layers' roles swapped. The
// quotient of such a term by 255 never ends in one half: rounding it needs no care for ties.
inline int LightTerm(bool overlay, int sc, int sa, int dc, int da) {
    const bool low = overlay ? 2 * dc <= da : 2 * sc <= sa;
    const int term = low ? 2 * sc * dc : sa * da - 2 * (sa - sc) * (da - dc);
    return Div255(term + 127);
}

template <std::uint8_t Mode>
inline Pixel Mix(const Pixel& s, const std::uint8_t* d) {
    const int sa = s[3], da = d[3];
    Pixel out{};
    if constexpr (Mode == kBlendAlpha || Mode == kBlendErase) {
        const int keep = Mode == kBlendAlpha ? sa : 255 - sa;
        for (int c = 0; c < 4; ++c) out[c] = M(d[c], keep);
        return out;
    }
    out[3] = Over(sa, da);
    if constexpr (Mode == kBlendMultiply) {
        if (da == 0) return s;
    }
    for (int c = 0; c < 3; ++c) {
        const int sc = s[c], dc = d[c];
        const int base = M(sc, 255 - da) + M(dc, 255 - sa);
        int v;
        if constexpr (Mode == kBlendAdd) {
            v = sc + dc;
        } else if constexpr (Mode == kBlendSubtract) {
            v = dc - sc;
        } else if constexpr (Mode == kBlendScreen) {
            v = sc + dc - M(sc, dc);
        } else if constexpr (Mode == kBlendMultiply) {
            v = base + M(sc, dc);
        } else if constexpr (Mode == kBlendLighten) {
            v = base + std::max(M(sc, da), M(dc, sa));
        } else if constexpr (Mode == kBlendDarken) {
            v = base + std::min(M(sc, da), M(dc, sa));
        } else if constexpr (Mode == kBlendDifference) {
            v = base + std::abs(M(sc, da) - M(dc, sa));
        } else if constexpr (Mode == kBlendInvert) {
            v = base + M(sa, std::max(0, da - dc));
        } else if constexpr (Mode == kBlendOverlay || Mode == kBlendHardLight) {
            v = base + LightTerm(Mode == kBlendOverlay, sc, sa, dc, da);
        } else {
            v = sc + M(dc, 255 - sa);
        }
        out[c] = std::clamp(v, 0, 255);
    }
    return out;
}

// Four 8-bit channels of `p`, each times `k` / 255 rounded as MulDiv255 does, two channels
// per 32-bit multiply (each lane stays below 2^16, so the lanes never carry into each other).
inline std::uint32_t ScalePacked(std::uint32_t p, std::uint32_t k) {
    std::uint32_t rb = (p & 0x00FF00FFu) * k + 0x00800080u;
    std::uint32_t ga = ((p >> 8) & 0x00FF00FFu) * k + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    ga = ((ga + ((ga >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    return rb | (ga << 8);
}

// Channel-wise a + b, each capped at 255.
inline std::uint32_t AddSaturated(std::uint32_t a, std::uint32_t b) {
    std::uint32_t rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu);
    std::uint32_t ga = ((a >> 8) & 0x00FF00FFu) + ((b >> 8) & 0x00FF00FFu);
    rb |= ((rb >> 8) & 0x00010001u) * 0xFFu;
    ga |= ((ga >> 8) & 0x00010001u) * 0xFFu;
    return (rb & 0x00FF00FFu) | ((ga & 0x00FF00FFu) << 8);
}

// The columns [x0, x1) of row `py` of `below` that the layer may cover: the whole rectangle
// without a record of what was drawn, else just the row's drawn span. False when none.
inline bool RowColumns(const ImageRect& layer, int x, int y, int py, const RowExtents* drawn,
                       int& x0, int& x1) {
    if (drawn == nullptr) return x0 < x1;
    const int ly = layer.y + py - y;
    if (ly < drawn->top() || ly >= drawn->bottom()) return false;
    const RowExtents::Span s = drawn->row(ly);
    if (s.empty()) return false;
    x0 = std::max(x0, s.x0 - layer.x + x);
    x1 = std::min(x1, s.x1 - layer.x + x);
    return x0 < x1;
}

#if defined(__SSE2__)
// OverRows four pixels at a time, as long as four are left; returns how many pixels it did.
// The same numbers as the scalar loop: each channel of dst times (255 - srcAlpha) / 255
// rounded as MulDiv255 does in 16-bit lanes, src added with saturation, pixels of the layer
// without alpha left alone.
std::size_t OverFour(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i round = _mm_set1_epi16(128);
    const __m128i full = _mm_set1_epi16(255);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4));
        const __m128i alpha = _mm_and_si128(s, alphaBits);
        const __m128i clear = _mm_cmpeq_epi32(alpha, zero);
        if (_mm_movemask_epi8(clear) == 0xFFFF) continue;
        __m128i* out = reinterpret_cast<__m128i*>(dst + i * 4);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaBits)) == 0xFFFF) {
            _mm_storeu_si128(out, s);  // opaque: the layer replaces what is below
            continue;
        }
        const __m128i d = _mm_loadu_si128(out);
        auto scaled = [&](__m128i s16, __m128i d16) {
            // 255 - alpha in every lane of its pixel.
            __m128i a = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
            a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
            __m128i t = _mm_add_epi16(_mm_mullo_epi16(d16, _mm_sub_epi16(full, a)), round);
            return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        };
        const __m128i lo = scaled(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = scaled(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        const __m128i mixed = _mm_adds_epu8(s, _mm_packus_epi16(lo, hi));
        _mm_storeu_si128(out,
                         _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, mixed)));
    }
    return i;
}
#endif

#if defined(__SSE2__)
// LightTerm on two pixels (16-bit lanes): the products in 32-bit lanes, each factor (at most
// 255 in size, the differences possibly negative) in the low half of its lane and zero above,
// so that one signed multiply-add forms it.
template <std::uint8_t Mode>
__m128i LightTerms(__m128i s, __m128i d) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i sa = AlphaLanes(s), da = AlphaLanes(d);
    const __m128i sRest = _mm_sub_epi16(sa, s), dRest = _mm_sub_epi16(da, d);
    auto half = [&](auto widen) {
        const __m128i sc = widen(s), dc = widen(d), sa32 = widen(sa), da32 = widen(da);
        const __m128i high = Mode == kBlendOverlay ? _mm_cmpgt_epi32(_mm_add_epi32(dc, dc), da32)
                                                   : _mm_cmpgt_epi32(_mm_add_epi32(sc, sc), sa32);
        const __m128i low = _mm_slli_epi32(_mm_madd_epi16(sc, dc), 1);
        const __m128i screen =
            _mm_sub_epi32(_mm_madd_epi16(sa32, da32),
                          _mm_slli_epi32(_mm_madd_epi16(widen(sRest), widen(dRest)), 1));
        const __m128i term = _mm_or_si128(_mm_and_si128(high, screen), _mm_andnot_si128(high, low));
        const __m128i y = _mm_add_epi32(term, _mm_set1_epi32(128));  // term + 127, plus one
        return _mm_srai_epi32(_mm_add_epi32(y, _mm_srai_epi32(y, 8)), 8);
    };
    return _mm_packs_epi32(half([zero](__m128i v) { return _mm_unpacklo_epi16(v, zero); }),
                           half([zero](__m128i v) { return _mm_unpackhi_epi16(v, zero); }));
}

// Mix<Mode> of two pixels of the layer and the picture below, premultiplied, in 16-bit lanes:
// the same formulas lane by lane, the clamp to 0..255 left to the final pack.
template <std::uint8_t Mode>
__m128i MixTwo(__m128i s, __m128i d) {
    const __m128i full = _mm_set1_epi16(255);
    const __m128i sa = AlphaLanes(s), da = AlphaLanes(d);
    auto m = [](__m128i x, __m128i y) { return MulDiv255Lanes(x, y); };
    if constexpr (Mode == kBlendAlpha) return m(d, sa);
    if constexpr (Mode == kBlendErase) return m(d, _mm_sub_epi16(full, sa));
    const __m128i base =
        _mm_add_epi16(m(s, _mm_sub_epi16(full, da)), m(d, _mm_sub_epi16(full, sa)));
    __m128i v;
    if constexpr (Mode == kBlendAdd) {
        v = _mm_add_epi16(s, d);
    } else if constexpr (Mode == kBlendSubtract) {
        v = _mm_sub_epi16(d, s);
    } else if constexpr (Mode == kBlendScreen) {
        v = _mm_sub_epi16(_mm_add_epi16(s, d), m(s, d));
    } else if constexpr (Mode == kBlendMultiply) {
        v = _mm_add_epi16(base, m(s, d));
    } else if constexpr (Mode == kBlendLighten) {
        v = _mm_add_epi16(base, _mm_max_epi16(m(s, da), m(d, sa)));
    } else if constexpr (Mode == kBlendDarken) {
        v = _mm_add_epi16(base, _mm_min_epi16(m(s, da), m(d, sa)));
    } else if constexpr (Mode == kBlendDifference) {
        const __m128i a = m(s, da), b = m(d, sa);
        v = _mm_add_epi16(base, _mm_max_epi16(_mm_sub_epi16(a, b), _mm_sub_epi16(b, a)));
    } else if constexpr (Mode == kBlendInvert) {
        v = _mm_add_epi16(base, m(sa, _mm_max_epi16(_mm_setzero_si128(), _mm_sub_epi16(da, d))));
    } else if constexpr (Mode == kBlendOverlay || Mode == kBlendHardLight) {
        v = _mm_add_epi16(base, LightTerms<Mode>(s, d));
    } else {
        v = _mm_add_epi16(s, m(d, _mm_sub_epi16(full, sa)));
    }
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i alpha = _mm_add_epi16(sa, m(da, _mm_sub_epi16(full, sa)));
    v = _mm_or_si128(_mm_and_si128(alphaLanes, alpha), _mm_andnot_si128(alphaLanes, v));
    if constexpr (Mode == kBlendMultiply) {  // onto a transparent pixel the layer unchanged
        const __m128i clearBelow = _mm_cmpeq_epi16(da, _mm_setzero_si128());
        v = _mm_or_si128(_mm_and_si128(clearBelow, s), _mm_andnot_si128(clearBelow, v));
    }
    return v;
}

// BlendRows without a mask or colour transform, four pixels at a time as long as four are
// left; returns how many it did. Pixels of the layer without alpha leave the picture alone.
template <std::uint8_t Mode>
std::size_t ModeFour(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4));
        const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, alphaBits), zero);
        if (_mm_movemask_epi8(clear) == 0xFFFF) continue;
        __m128i* out = reinterpret_cast<__m128i*>(dst + i * 4);
        const __m128i d = _mm_loadu_si128(out);
        const __m128i lo = MixTwo<Mode>(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = MixTwo<Mode>(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        const __m128i mixed = _mm_packus_epi16(lo, hi);
        _mm_storeu_si128(out,
                         _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, mixed)));
    }
    return i;
}
#endif

// Normal blending without a mask or colour transform, the common case of a filtered or
// cached group: src + dst * (1 - srcAlpha) on whole pixels, the same numbers as Mix gives.
void OverRows(const ImageRect& layer, int x, int y, int rectX0, int y0, int rectX1, int y1,
              BgraImage& below, const RowExtents* drawn) {
    for (int py = y0; py < y1; ++py) {
        int x0 = rectX0, x1 = rectX1;
        if (!RowColumns(layer, x, y, py, drawn, x0, x1)) continue;
        const std::size_t n = static_cast<std::size_t>(x1 - x0);
        const std::uint8_t* src =
            layer.image->pixels.data() +
            (static_cast<std::size_t>(layer.y + py - y) * layer.image->width + layer.x + x0 - x) *
                4;
        std::uint8_t* dst =
            below.pixels.data() + (static_cast<std::size_t>(py) * below.width + x0) * 4;
        std::size_t i = 0;
#if defined(__SSE2__)
        // The picture below is read where the layer is not clear, row after row of a large
        // image: each row starts on a page the hardware has not fetched ahead (a measured
        // stall on its loads), so the next row's span is asked for while this one is blended.
        if (py + 1 < y1) {
            const char* next = reinterpret_cast<const char*>(dst) + below.width * 4;
            for (std::size_t b = 0; b < n * 4; b += 64) _mm_prefetch(next + b, _MM_HINT_T0);
        }
        i = OverFour(src, dst, n);
#endif
        for (; i < n; ++i) {
            std::uint32_t s;
            std::memcpy(&s, src + i * 4, 4);
            const std::uint32_t sa = s >> 24;
            if (sa == 0) continue;
            if (sa == 255) {
                std::memcpy(dst + i * 4, &s, 4);
                continue;
            }
            std::uint32_t d;
            std::memcpy(&d, dst + i * 4, 4);
            d = AddSaturated(s, ScalePacked(d, 255 - sa));
            std::memcpy(dst + i * 4, &d, 4);
        }
    }
}

template <std::uint8_t Mode>
void BlendRows(const ImageRect& layer, int x, int y, int rectX0, int y0, int rectX1, int y1,
               const TransformTables* transform, const std::uint8_t* mask, BgraImage& below,
               const RowExtents* drawn) {
    for (int py = y0; py < y1; ++py) {
        int x0 = rectX0, x1 = rectX1;
        if (!RowColumns(layer, x, y, py, drawn, x0, x1)) continue;
        const std::uint8_t* src =
            layer.image->pixels.data() +
            (static_cast<std::size_t>(layer.y + py - y) * layer.image->width + layer.x + x0 - x) *
                4;
        std::uint8_t* dst =
            below.pixels.data() + (static_cast<std::size_t>(py) * below.width + x0) * 4;
        const std::uint8_t* m =
            mask ? mask + static_cast<std::size_t>(py) * below.width + x0 : nullptr;
        int px = x0;
#if defined(__SSE2__)
        if (transform == nullptr && m == nullptr) {
            const int done =
                static_cast<int>(ModeFour<Mode>(src, dst, static_cast<std::size_t>(x1 - x0)));
            px += done;
            src += done * 4;
            dst += done * 4;
        }
#endif
        for (; px < x1; ++px, src += 4, dst += 4) {
            // Most of a layer's rectangle is often empty: skip four clear pixels at a time.
            while (px + 4 <= x1 && ClearRun(src)) {
                px += 4;
                src += 16;
                dst += 16;
                if (m) m += 4;
            }
            if (px >= x1) break;
            const int cover = m ? *m++ : 255;
            if (cover == 0 || src[3] == 0) continue;
            const Pixel s =
                transform ? transform->apply(src) : Pixel{src[0], src[1], src[2], src[3]};
            if (s[3] == 0) continue;
            if constexpr (Mode == kBlendNormal) {
                if (s[3] == 255 && cover == 255) {
                    for (int c = 0; c < 4; ++c) dst[c] = static_cast<std::uint8_t>(s[c]);
                    continue;
                }
            }
            const Pixel mixed = Mix<Mode>(s, dst);
            for (int c = 0; c < 4; ++c)
                dst[c] = static_cast<std::uint8_t>(
                    cover == 255 ? mixed[c] : dst[c] + (mixed[c] - dst[c]) * cover / 255);
        }
    }
}

}  // namespace

void BlendLayer(const ImageRect& layer, int x, int y, std::uint8_t mode, const ColorTransform& cx,
                const std::uint8_t* mask, BgraImage& below, const RowExtents* drawn) {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + layer.width, below.width);
    const int y1 = std::min(y + layer.height, below.height);
    if (x0 >= x1 || y0 >= y1) return;
    std::optional<TransformTables> tables;
    if (!(cx == ColorTransform{})) tables.emplace(cx);
    const TransformTables* t = tables ? &*tables : nullptr;
    const bool normal = mode < kBlendMultiply || mode > kBlendHardLight;
    if (normal && !t && !mask) return OverRows(layer, x, y, x0, y0, x1, y1, below, drawn);
    auto run = [&]<std::uint8_t Mode>() {
        BlendRows<Mode>(layer, x, y, x0, y0, x1, y1, t, mask, below, drawn);
    };
    switch (mode) {
        case kBlendMultiply:
            return run.template operator()<kBlendMultiply>();
        case kBlendScreen:
            return run.template operator()<kBlendScreen>();
        case kBlendLighten:
            return run.template operator()<kBlendLighten>();
        case kBlendDarken:
            return run.template operator()<kBlendDarken>();
        case kBlendDifference:
            return run.template operator()<kBlendDifference>();
        case kBlendAdd:
            return run.template operator()<kBlendAdd>();
        case kBlendSubtract:
            return run.template operator()<kBlendSubtract>();
        case kBlendInvert:
            return run.template operator()<kBlendInvert>();
        case kBlendAlpha:
            return run.template operator()<kBlendAlpha>();
        case kBlendErase:
            return run.template operator()<kBlendErase>();
        case kBlendOverlay:
            return run.template operator()<kBlendOverlay>();
        case kBlendHardLight:
            return run.template operator()<kBlendHardLight>();
        default:
            return run.template operator()<kBlendNormal>();
    }
}

}  // namespace saver::swf
