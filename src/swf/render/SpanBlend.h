// SpanBlend: blending runs of premultiplied colours into a premultiplied BGRA row:
// dst = src * cover + dst * (1 - srcAlpha * cover), alpha included (a frame is opaque, the
// layer of a group starts transparent).
#pragma once

#include <agg_color_rgba.h>

#include <cstdint>
#include <cstring>

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
        const unsigned keep = 255 - a;
        p[0] = static_cast<std::uint8_t>(b + MulDiv255(p[0], keep));
        p[1] = static_cast<std::uint8_t>(g + MulDiv255(p[1], keep));
        p[2] = static_cast<std::uint8_t>(r + MulDiv255(p[2], keep));
        p[3] = static_cast<std::uint8_t>(a + MulDiv255(p[3], keep));
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
inline void FillPixels(std::uint8_t* p, const std::uint8_t bgra[4], unsigned len) {
    std::uint32_t pattern;
    std::memcpy(&pattern, bgra, 4);
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
