// Normal blending is the common case (filtered objects) and runs on integers; the other modes
// work in floats on premultiplied colour with the separable-blend formula
//   out = s * (1 - da) + d * (1 - sa) + sa * da * B(s / sa, d / da),  alpha = sa + da * (1 - sa)
// except add, subtract and screen, which combine the premultiplied colours directly.
#include "swf/render/LayerBlend.h"

#include <algorithm>
#include <cmath>

#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

bool IsIdentity(const ColorTransform& cx) {
    return cx == ColorTransform{};
}

// The layer pixel through the colour transform (on its unpremultiplied colour).
void Transform(const ColorTransform& cx, std::uint8_t* p) {
    if (p[3] == 0) return;
    const unsigned a = p[3];
    auto un = [a](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::min(255u, (v * 255u + a / 2) / a));
    };
    const Rgba c = cx.apply({un(p[2]), un(p[1]), un(p[0]), p[3]});
    p[0] = static_cast<std::uint8_t>(MulDiv255(c.b, c.a));
    p[1] = static_cast<std::uint8_t>(MulDiv255(c.g, c.a));
    p[2] = static_cast<std::uint8_t>(MulDiv255(c.r, c.a));
    p[3] = c.a;
}

float Channel(std::uint8_t mode, float s, float d) {  // unpremultiplied, 0..1
    switch (mode) {
        case kBlendMultiply:
            return s * d;
        case kBlendLighten:
            return std::max(s, d);
        case kBlendDarken:
            return std::min(s, d);
        case kBlendDifference:
            return std::fabs(s - d);
        case kBlendInvert:
            return 1 - d;
        case kBlendOverlay:
            return d <= 0.5f ? 2 * s * d : 1 - 2 * (1 - s) * (1 - d);
        case kBlendHardLight:
            return s <= 0.5f ? 2 * s * d : 1 - 2 * (1 - s) * (1 - d);
        default:
            return s;
    }
}

// One pixel of a mode other than normal; `s` and `d` premultiplied BGRA, 0..1.
void BlendFloat(std::uint8_t mode, const float s[4], float d[4]) {
    const float sa = s[3], da = d[3];
    if (sa <= 0) return;
    switch (mode) {
        case kBlendAlpha:
            for (int c = 0; c < 4; ++c) d[c] *= sa;
            return;
        case kBlendErase:
            for (int c = 0; c < 4; ++c) d[c] *= 1 - sa;
            return;
        case kBlendAdd:
        case kBlendSubtract:
        case kBlendScreen:
            for (int c = 0; c < 3; ++c)
                d[c] = mode == kBlendAdd        ? std::min(1.0f, s[c] + d[c])
                       : mode == kBlendSubtract ? std::max(0.0f, d[c] - s[c])
                                                : s[c] + d[c] - s[c] * d[c];
            d[3] = sa + da * (1 - sa);
            return;
        case kBlendMultiply:
            if (da <= 0) {
                for (int c = 0; c < 4; ++c) d[c] = s[c];
                return;
            }
            break;
        default:
            break;
    }
    for (int c = 0; c < 3; ++c) {
        const float mixed = da > 0 ? Channel(mode, s[c] / sa, d[c] / da) : 0;
        d[c] = s[c] * (1 - da) + d[c] * (1 - sa) + sa * da * mixed;
    }
    d[3] = sa + da * (1 - sa);
}

void BlendNormal(const std::uint8_t* s, std::uint8_t* d, unsigned cover) {
    unsigned b = s[0], g = s[1], r = s[2], a = s[3];
    if (cover != 255) {
        b = MulDiv255(b, cover);
        g = MulDiv255(g, cover);
        r = MulDiv255(r, cover);
        a = MulDiv255(a, cover);
    }
    const unsigned keep = 255 - a;
    d[0] = static_cast<std::uint8_t>(std::min(255u, b + MulDiv255(d[0], keep)));
    d[1] = static_cast<std::uint8_t>(std::min(255u, g + MulDiv255(d[1], keep)));
    d[2] = static_cast<std::uint8_t>(std::min(255u, r + MulDiv255(d[2], keep)));
    d[3] = static_cast<std::uint8_t>(std::min(255u, a + MulDiv255(d[3], keep)));
}

void BlendOther(std::uint8_t mode, const std::uint8_t* sp, std::uint8_t* dp, unsigned cover) {
    constexpr float k = 1.0f / 255;
    const float s[4] = {sp[0] * k, sp[1] * k, sp[2] * k, sp[3] * k};
    float d[4] = {dp[0] * k, dp[1] * k, dp[2] * k, dp[3] * k};
    const float before[4] = {d[0], d[1], d[2], d[3]};
    BlendFloat(mode, s, d);
    const float w = cover * k;
    for (int c = 0; c < 4; ++c) {
        const float v = before[c] + (d[c] - before[c]) * w;
        dp[c] = static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255 + 0.5f);
    }
}

}  // namespace

void BlendLayer(const BgraImage& layer, int x, int y, std::uint8_t mode, const ColorTransform& cx,
                const std::uint8_t* mask, BgraImage& below) {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + layer.width, below.width);
    const int y1 = std::min(y + layer.height, below.height);
    if (x0 >= x1 || y0 >= y1) return;
    const bool normal = mode <= kBlendLayer || mode > kBlendHardLight;
    const bool transform = !IsIdentity(cx);
    for (int py = y0; py < y1; ++py) {
        const std::uint8_t* src =
            layer.pixels.data() + (static_cast<std::size_t>(py - y) * layer.width + (x0 - x)) * 4;
        std::uint8_t* dst =
            below.pixels.data() + (static_cast<std::size_t>(py) * below.width + x0) * 4;
        const std::uint8_t* m =
            mask ? mask + static_cast<std::size_t>(py) * below.width + x0 : nullptr;
        for (int px = x0; px < x1; ++px, src += 4, dst += 4) {
            const unsigned cover = m ? *m++ : 255u;
            if (cover == 0 || src[3] == 0) continue;
            std::uint8_t s[4] = {src[0], src[1], src[2], src[3]};
            if (transform) Transform(cx, s);
            if (normal)
                BlendNormal(s, dst, cover);
            else
                BlendOther(mode, s, dst, cover);
        }
    }
}

}  // namespace saver::swf
