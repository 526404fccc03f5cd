// RenderItem: one shape to draw, as the player core flattens its display list (sprites
// included) for the renderer, in painting order (lowest depth first).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

class BitmapLibrary;

// How an item takes part in clipping (clip depths of PlaceObject). Draw: drawn, clipped by the
// masks open at that point. BeginMask (no shape) opens a new mask, clipped in turn by the
// masks already open; the Mask items after it are not drawn: the fills of their shapes make
// up that mask. It clips every Draw item up to the matching Unmask (no shape), which closes it.
enum class ClipRole : std::uint8_t { Draw, BeginMask, Mask, Unmask, BeginGroup, EndGroup };
// BeginGroup (no shape) ... EndGroup: the items between are drawn into a layer of their own,
// which is then filtered and composited onto what lies below with the BeginGroup item's blend
// mode, colour transform and filters (see LayerCompositor). Groups nest and hold masks.

struct RenderItem {
    const Shape* shape = nullptr;   // owned by the Movie, alive as long as the player
    Matrix matrix;                  // shape twips to stage twips, parents' matrices applied
    ColorTransform colorTransform;  // parents' transforms applied
    ClipRole role = ClipRole::Draw;
    const BitmapLibrary* bitmaps = nullptr;        // the movie's bitmaps, for bitmap fills
    std::uint8_t blendMode = 0;                    // BeginGroup: BlendMode value
    const std::vector<Filter>* filters = nullptr;  // BeginGroup: owned by the Movie, or none
    std::optional<Rgba> background;  // BeginGroup: fills the group's bounds first, opaque
    bool cached = false;             // BeginGroup: a cached bitmap, drawn on whole pixels
    // Nonzero when `shape` never changes while it exists and no other shape takes its address
    // while items naming this source may still be drawn (the shapes of a loaded movie, which
    // lives as long as its player): the number of that movie's player, which no other player
    // of the process has. Groups of such items only may have their pictures reused from one
    // frame to the next (GroupCache). 0: the shape may change (a script's drawing, a morph, a
    // text field's layout, a script's bitmap), and its groups are drawn every frame.
    std::uint64_t source = 0;
};

}  // namespace saver::swf
