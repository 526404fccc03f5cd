// What one PlaceObject2 tag says: a new character at a depth, or a change (move) of the
// character already there. Every optional field that is set is written with its flag. With
// filters or a blend mode it becomes a PlaceObject3 (SWF 8).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FilterSpec.h"

#include "SwfTypes.h"

namespace saver::swfwriter {

struct PlaceObject {
    std::uint16_t depth = 1;
    bool move = false;  // PlaceFlagMove: modify (or, with a character, replace) the object
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;  // CXFORMWITHALPHA
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::vector<FilterSpec> filters;        // PlaceObject3's filter list when not empty
    std::optional<std::uint8_t> blendMode;  // PlaceObject3's BlendMode (1 normal .. 14)

    // A new object: `characterId` placed at `depth` with `matrix`.
    static PlaceObject New(std::uint16_t depth, std::uint16_t characterId, const Matrix& matrix);
    // The object at `depth` given a new matrix.
    static PlaceObject Move(std::uint16_t depth, const Matrix& matrix);
};

}  // namespace saver::swfwriter
