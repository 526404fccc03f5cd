// ClipEffects: the SWF 8 effect properties of MovieClip that scripts read and write:
// `filters` (an array of flash.filters objects), `blendMode` and `cacheAsBitmap`.
//
// `filters` takes copies: the clip keeps the filters' settings as they were when the array
// was written, and every read gives a new array of new filter objects, so changing an object
// afterwards changes nothing until the array is written again.
//
// Failure: a write of anything but an array clears the filters; array entries that are no
// filter objects are left out; an unknown blend mode leaves the old one; on anything that is
// not a clip on the stage, reads give undefined and writes do nothing.
#pragma once

#include <optional>
#include <vector>

#include "swf/avm1/Interpreter.h"
#include "swf/format/Filter.h"

namespace saver::swf::avm1 {

void InstallClipEffects(Interpreter& vm);

// The settings of a flash.filters object as the renderer takes them; nothing for any other
// value.
std::optional<Filter> FilterFromObject(Interpreter& vm, const Value& v);
// A new flash.filters object with the settings of `f`; undefined when its class is missing.
Value FilterToObject(Interpreter& vm, const Filter& f);

}  // namespace saver::swf::avm1
