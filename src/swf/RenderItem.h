// RenderItem: one shape to draw, as the player core flattens its display list (sprites
// included) for the renderer, in painting order (lowest depth first).
#pragma once

#include <cstdint>

#include "swf/SwfMovie.h"
#include "swf/SwfTypes.h"

namespace saver::swf {

struct RenderItem {
    const Shape* shape = nullptr;   // owned by the Movie, alive as long as the player
    Matrix matrix;                  // shape twips to stage twips, parents' matrices applied
    ColorTransform colorTransform;  // parents' transforms applied
};

}  // namespace saver::swf
