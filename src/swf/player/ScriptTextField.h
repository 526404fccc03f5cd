// ScriptTextField: text fields that scripts make (MovieClip.createTextField) rather than the
// movie's DefineEditText tags. Such a field is a display object without a character (id 0, no
// sprite) whose live state is made at once: the box and formats of a new field as the player
// makes one (Times New Roman, 12 points, black, no border, no wrap, single line, plain text).
//
// Failure: none; the occupant of the depth is removed first, as for any script placement.
#pragma once

#include <memory>
#include <string>

#include "swf/format/SwfTypes.h"

namespace saver::swf {

class TimelineInstance;
class TextFieldState;
struct DisplayObject;

// Places a new field named `name` at display-list depth `depth` of `timeline`, its top-left
// corner at (x, y) and `width` x `height` large (all twips), and gives its state.
std::shared_ptr<TextFieldState> AddScriptTextField(TimelineInstance& timeline, int depth,
                                                   const std::string& name, double x, double y,
                                                   double width, double height);

// The object in `timeline`'s list that shows `field`, with its depth; null when none.
DisplayObject* FindTextFieldObject(TimelineInstance& timeline, const TextFieldState& field,
                                   int* depth = nullptr);

// Whether `object` is a field a script made.
bool IsScriptTextField(const DisplayObject& object);

}  // namespace saver::swf
