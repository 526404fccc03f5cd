// FilterReader: decodes the FILTERLIST of PlaceObject3 (and of a PlaceObject2 written by SWF 8
// tools): a count byte, then each filter's id and body as the SWF file format lays them out.
//
// Failure: an unknown filter id ends the list there and returns false (nothing after it can
// be located, as filters carry no length); the filters before it are kept. SwfError when a
// filter runs past the tag.
#pragma once

#include <vector>

#include "swf/format/Filter.h"
#include "swf/format/SwfBitReader.h"

namespace saver::swf {

bool ReadFilterList(SwfBitReader& in, std::vector<Filter>& out);

}  // namespace saver::swf
