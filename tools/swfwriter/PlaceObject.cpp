#include "PlaceObject.h"

namespace saver::swfwriter {

PlaceObject PlaceObject::New(std::uint16_t depth, std::uint16_t characterId, const Matrix& matrix) {
    PlaceObject p;
    p.depth = depth;
    p.characterId = characterId;
    p.matrix = matrix;
    return p;
}

PlaceObject PlaceObject::Move(std::uint16_t depth, const Matrix& matrix) {
    PlaceObject p;
    p.depth = depth;
    p.move = true;
    p.matrix = matrix;
    return p;
}

}  // namespace saver::swfwriter
