// ClipProperties: the built-in display properties of movie clips (`_x`, `_rotation`,
// `_alpha`, ...), read and written by name, as Flash keeps them: positions in whole twips,
// alpha in 1/256 steps, scale and rotation remembered as written so a flip reads back as set.
// Names match without case in every version.
//
// Failure: a name that is no such property is reported as not found; a write of NaN,
// undefined or null leaves the old value; a read-only property ignores writes.
#pragma once

#include <string>

#include "swf/avm1/Interpreter.h"
#include "swf/format/SwfTypes.h"
#include "swf/player/StageMatrix.h"

namespace saver::swf {
class TimelineInstance;
struct DisplayObject;
}  // namespace saver::swf

namespace saver::swf::avm1 {

// What the properties shared by the whole player hold.
struct PlayerSettings {
    std::string quality = "HIGH";
    double soundBufferTime = 5;
    Value focusRect = true;
};

// `folded`: the lower-cased name. `found` tells whether it is a display property.
Value GetDisplayProperty(Interpreter& vm, PlayerSettings& settings, TimelineInstance& t,
                         const std::string& folded, bool& found);
// True when `folded` is a display property (whether or not the value was taken).
bool SetDisplayProperty(Interpreter& vm, PlayerSettings& settings, TimelineInstance& t,
                        const std::string& folded, const Value& v);

// The scale, rotation and skew of `o` from its matrix, unless a script set them already.
void CacheScaleRotation(DisplayObject& o);
// Rebuilds `o`'s matrix from its cached scale, rotation and skew (the translation stays).
void RebuildMatrix(DisplayObject& o);

}  // namespace saver::swf::avm1
