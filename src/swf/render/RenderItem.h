// RenderItem: one shape to draw, as the player core flattens its display list (sprites
// included) for the renderer, in painting order (lowest depth first).
#pragma once

#include <cstdint>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

class BitmapLibrary;

// How an item takes part in clipping (clip depths of PlaceObject). Draw: drawn, clipped by the
// masks open at that point. BeginMask (no shape) opens a new mask, clipped in turn by the
// masks already open; the Mask items after it are not drawn: the fills of their shapes make
// up that mask. It clips every Draw item up to the matching Unmask (no shape), which closes it.
enum class ClipRole : std::uint8_t { Draw, BeginMask, Mask, Unmask };

struct RenderItem {
    const Shape* shape = nullptr;   // owned by the Movie, alive as long as the player
    Matrix matrix;                  // shape twips to stage twips, parents' matrices applied
    ColorTransform colorTransform;  // parents' transforms applied
    ClipRole role = ClipRole::Draw;
    const BitmapLibrary* bitmaps = nullptr;  // the movie's bitmaps, for bitmap fills
};

}  // namespace saver::swf
