// PlacementPath: the placements (display-list entries) that lead from the root timeline down
// to a sprite's timeline, so that scripts can read and change the matrix and colour transform
// a clip is shown with, and compose them with its parents'.
//
// Failure: an empty path when `target` is the root itself or is not on stage (a removed
// clip); the search stops at the sprite nesting limit.
#pragma once

#include <vector>

#include "swf/player/TimelineInstance.h"

namespace saver::swf {

std::vector<DisplayObject*> PlacementPath(TimelineInstance& root, const TimelineInstance& target);

// The placement of `target` in its parent's list; null when PlacementPath is empty.
DisplayObject* FindPlacement(TimelineInstance& root, const TimelineInstance& target);

// The matrix from `target`'s space to the stage (twips), its parents' matrices applied;
// identity for the root, nullopt when `target` is not on stage.
std::optional<Matrix> ConcatenatedMatrix(TimelineInstance& root, const TimelineInstance& target);

}  // namespace saver::swf
