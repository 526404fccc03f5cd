// FilterSpans: the per-pixel steps of the shadow kinds (drop shadow, glow, gradient glow) and
// the bevel kinds over a run of premultiplied BGRA pixels, once the object's alpha is blurred:
// the colour each blurred level stands for, combined with the object's own pixel.
//
// Shadow: the colour `c` of a pixel's level goes inside the object (inner: c * da, plus the
// object through what c leaves, unless knocked out), outside it (c * (1 - da), plus the object
// with composite source, or the object cut out with knockout), or alone (no composite
// source). A level whose colour is clear leaves the object as it is, or clears the pixel when
// the object is not kept. Bevel: the light `g` of a pixel (by the difference of the blurred
// alpha towards and away from the light) goes over the object (on top), inside or outside it.
// Every result is stored with its alpha capped at 255 and each colour at most its alpha.
//
// SSE2 works four pixels at a time where four are left; the rest, pixel by pixel, gives the
// very same numbers.
//
// Failure: none; the tables must hold every index the levels can make (256 shadow colours,
// 511 bevel lights for differences -255..255).
#pragma once

#include <cstddef>
#include <cstdint>

namespace saver::swf {

struct ShadowRule {
    bool inner = false, knockout = false, compositeSource = true;
};

struct BevelRule {
    bool onTop = false, inner = false, knockout = false;
};

// `n` pixels: `colors[levels[i]]` (premultiplied B, G, R, A words) combined with `pixels`.
void ShadowSpan(const ShadowRule& rule, const std::uint32_t* colors, const std::uint8_t* levels,
                std::uint8_t* pixels, std::size_t n);

// `n` pixels: `lights[toLight[i] - away[i] + 255]` combined with `pixels`.
void BevelSpan(const BevelRule& rule, const std::uint32_t* lights, const std::uint8_t* toLight,
               const std::uint8_t* away, std::uint8_t* pixels, std::size_t n);

}  // namespace saver::swf
