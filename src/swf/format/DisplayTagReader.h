// DisplayTagReader: decodes the display-list tags PlaceObject, PlaceObject2, PlaceObject3,
// RemoveObject and RemoveObject2 from their tag bodies.
//
// PlaceObject3's class name and background colour are read only to get past them. Clip
// actions are kept; a record whose size runs past the tag ends the list there. A filter list
// with an unknown filter stops the reading there: the fields before it are kept and the later
// optional ones (blend mode, ...) stay unset, as does a blend mode the tag is too short for.
//
// Failure: SwfError when a field the flags announce runs past the tag.
#pragma once

#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfMovie.h"

namespace saver::swf {

class DisplayTagReader {
  public:
    // `version` 1..3 for PlaceObject..PlaceObject3; `swfVersion` decides the width of the
    // clip event flags (16 bits up to SWF 5, 32 after).
    static PlaceObject readPlace(SwfBitReader& body, int version, int swfVersion = 6);
    // `version` 1 or 2 for RemoveObject, RemoveObject2.
    static RemoveObject readRemove(SwfBitReader& body, int version);
    // Moves past a FILTERLIST (count, then filters); false at an unknown filter kind, with
    // the reader left there. Button records hold the same list.
    static bool skipFilters(SwfBitReader& body);
};

}  // namespace saver::swf
