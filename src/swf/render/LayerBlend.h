// LayerBlend: composites a finished layer (a group's picture, premultiplied BGRA) onto the
// picture below it with one of the SWF blend modes.
//
// Modes, as PlaceObject3 numbers them: 0 and 1 normal; 2 layer (normal, the group itself is
// the point); 3 multiply, 4 screen, 5 lighten, 6 darken, 7 difference, 8 add, 9 subtract,
// 10 invert, 13 overlay, 14 hardlight mix colours channel by channel; 11 alpha keeps the
// picture below only as far as the layer is opaque, 12 erase removes it as far as the layer
// is opaque (both only where the layer has any alpha). Unknown values blend normally. A
// multiply onto a transparent pixel puts the layer there unchanged.
//
// Failure: none; the rectangle is clipped to both images.
#pragma once

#include <cstdint>

#include "swf/format/SwfTypes.h"
#include "swf/render/BgraImage.h"
#include "swf/render/RowExtents.h"

namespace saver::swf {

enum BlendModeValue : std::uint8_t {
    kBlendNormal = 1,
    kBlendLayer = 2,
    kBlendMultiply = 3,
    kBlendScreen = 4,
    kBlendLighten = 5,
    kBlendDarken = 6,
    kBlendDifference = 7,
    kBlendAdd = 8,
    kBlendSubtract = 9,
    kBlendInvert = 10,
    kBlendAlpha = 11,
    kBlendErase = 12,
    kBlendOverlay = 13,
    kBlendHardLight = 14,
};

// A rectangle of an image: `width` x `height` pixels from (`x`, `y`).
struct ImageRect {
    const BgraImage* image = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
};

// Draws the `layer` rectangle with its top left corner at (`x`, `y`) of `below`: each layer
// pixel first through `cx` (on its unpremultiplied colour), then blended by `mode`, the result
// weighted by `mask` (one coverage byte per pixel of `below`, null for none). With `drawn`
// (spans in the layer image's own coordinates), only those spans of the rectangle are read:
// the rest of it must be clear, which no mode draws anything for.
void BlendLayer(const ImageRect& layer, int x, int y, std::uint8_t mode, const ColorTransform& cx,
                const std::uint8_t* mask, BgraImage& below, const RowExtents* drawn = nullptr);

}  // namespace saver::swf
