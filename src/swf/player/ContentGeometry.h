// ContentGeometry: the extent of what one display object draws, for scripts that ask for
// bounds and hit tests. Rectangles are in twips.
//
// Failure: none; a character that draws nothing has no bounds (false) and is never hit.
#pragma once

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

// Grows `box` (empty when `hasBox` is false) by `r` mapped through `m` and boxed again.
void AddMappedRect(const Rect& r, const Matrix& m, Rect& box, bool& hasBox);
// The inverse of `m`; false (identity in `out`) when `m` cannot be inverted.
bool Invert(const Matrix& m, Matrix& out);
// Whether the point (in the shape's own space) lies inside one of its fills, each fill
// region by the even-odd rule (curves followed in short segments).
bool ShapeContains(const Shape& shape, double x, double y);

}  // namespace saver::swf
