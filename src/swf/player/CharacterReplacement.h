// CharacterReplacement: which character a placement that moves an existing object may give
// it. Flash changes the character of a placed object only between static graphics of one kind
// (a shape for a shape, a morph shape for a morph shape, ...): a sprite or a button keeps its
// character, no object becomes a sprite or a button that way, and neither does an object
// named to become a character that does not exist. The placement's other properties apply
// either way.
#pragma once

#include "swf/format/SwfMovie.h"
#include "swf/player/DisplayList.h"

namespace saver::swf {

// `place` as it applies to `list`: itself, or a copy in `scratch` without the character when
// the object at its depth keeps its own.
const PlaceObject& AsApplied(const DisplayList& list, const PlaceObject& place, const Movie& movie,
                             PlaceObject& scratch);

}  // namespace saver::swf
