// ConcatInTwips: a display object's matrix placed in its parent's, with the translation kept
// to whole twips as the player keeps every placed object's position: the parent's scale can
// put a child between twips, and the player rounds it back (to the nearest, halves away from
// zero), so the child's edges fall where its whole-twip position puts them.
#pragma once

#include <cmath>

#include "swf/format/SwfTypes.h"

namespace saver::swf {

inline Matrix ConcatInTwips(const Matrix& parent, const Matrix& child) {
    Matrix m = parent * child;
    const double x = parent.a * child.tx + parent.c * child.ty;
    const double y = parent.b * child.tx + parent.d * child.ty;
    if (std::isfinite(x) && std::isfinite(y) && std::fabs(x) < 1e15 && std::fabs(y) < 1e15) {
        m.tx = std::round(x) + parent.tx;
        m.ty = std::round(y) + parent.ty;
    }
    return m;
}

}  // namespace saver::swf
