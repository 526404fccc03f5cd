// A morph shape (DefineMorphShape): one closed polygon that changes into another with the
// same number of corners, filled with one colour that changes along with it. A placement's
// ratio (0..65535) picks the stage between the start (0) and the end (65535).
//
// Encode throws std::invalid_argument when the polygons have different corner counts or
// fewer than three, std::out_of_range for an edge longer than 65535 twips (ShapeBuilder).
#pragma once

#include <cstdint>
#include <vector>

#include "ShapeBuilder.h"
#include "SwfTypes.h"

namespace saver::swfwriter {

struct MorphShape {
    std::vector<ShapeBuilder::Point> start, end;  // twips, corner i of one becomes corner i
    Rgba startColor, endColor;

    // The tag body after the character id: bounds, offset, morph fill and line styles, the
    // start edges and the end edges.
    std::vector<std::uint8_t> Encode(std::uint16_t id) const;
};

}  // namespace saver::swfwriter
