// InterpolateMorph: the ordinary shape a morph shape shows at a placement's ratio (0 = the
// start shape, 65535 = the end shape, linear in between).
//
// Styles are interpolated pairwise: colours and gradient stop ratios rounded down, line widths,
// coordinates and matrix translations rounded to the nearest twip; kinds, spread and
// interpolation modes, caps and joins come from the start. Edges are paired in order: the n-th
// edge of the start records with the n-th of the end records. A straight edge paired with a
// curve is taken as a curve with its control point halfway along it. A path ends wherever
// either side starts a new one (a style change or pen move), and the other side goes on from
// where its pen is. Edges left over on the longer side are dropped, as Flash does.
//
// Failure: none; a morph whose style tables differ in length keeps the shorter count, and its
// paths selecting a style beyond that select none.
#pragma once

#include <cstdint>

#include "swf/format/SwfMovie.h"

namespace saver::swf {

Shape InterpolateMorph(const MorphShape& morph, std::uint16_t ratio);

}  // namespace saver::swf
