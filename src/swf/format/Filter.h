// Filter: one entry of a display object's filter list (SWF 8 and later), decoded into the
// units the renderer works in: blur sizes and distances in pixels, angles in radians, colours
// as RGBA. One record type serves every kind; each kind uses the fields its comment names.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "swf/format/SwfTypes.h"

namespace saver::swf {

enum class FilterKind : std::uint8_t {
    DropShadow = 0,
    Blur = 1,
    Glow = 2,
    Bevel = 3,
    GradientGlow = 4,
    Convolution = 5,
    ColorMatrix = 6,
    GradientBevel = 7,
};

struct FilterGradientStop {
    Rgba color;
    std::uint8_t ratio = 0;
    bool operator==(const FilterGradientStop&) const = default;
};

struct Filter {
    FilterKind kind = FilterKind::Blur;
    // Blur, DropShadow, Glow, Bevel and the gradient kinds: the box size per axis (pixels) and
    // how many box passes (quality: 1 low, 2 medium, 3 high; up to 31 in a file).
    double blurX = 0, blurY = 0;
    int passes = 1;
    // DropShadow, Bevel and the gradient kinds: offset of the shadow / light.
    double angle = 0;     // radians, 0 = right, clockwise on screen
    double distance = 0;  // pixels
    double strength = 1;  // DropShadow, Glow, Bevel, gradient kinds
    bool inner = false, knockout = false, compositeSource = true, onTop = false;
    Rgba color;                                // DropShadow and Glow colour; Bevel's shadow colour
    Rgba highlight;                            // Bevel's highlight colour
    std::vector<FilterGradientStop> gradient;  // GradientGlow, GradientBevel (1..255 stops)
    // ColorMatrix: 4 rows of 5 (R, G, B, A, offset in channel units) on unpremultiplied colour.
    std::array<float, 20> colorMatrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    // Convolution: a matrixX by matrixY kernel in row order, divided by `divisor`, plus `bias`;
    // outside the image the edge pixel repeats (clamp) or `color` is read.
    int matrixX = 0, matrixY = 0;
    std::vector<float> kernel;
    float divisor = 1, bias = 0;
    bool clamp = true, preserveAlpha = false;
    bool operator==(const Filter&) const = default;
};

}  // namespace saver::swf
