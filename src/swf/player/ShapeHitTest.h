// ShapeHitTest: whether a point lies on a shape, as the mouse finds buttons and clips: inside
// one of its fills (even-odd within each fill style) or within half a line's width of one of
// its lines (a hairline counts as one pixel wide).
//
// Failure: none; a matrix that cannot be inverted hits nothing.
#pragma once

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

// `x`, `y` in stage twips; `matrix` maps the shape's twips to the stage.
bool HitShape(const Shape& shape, const Matrix& matrix, double x, double y);

// The inverse of `m`; false (and `out` untouched) when it has none.
bool InvertMatrix(const Matrix& m, Matrix& out);

}  // namespace saver::swf
