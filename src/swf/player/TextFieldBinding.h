// Text fields on the display lists: TextFieldOf gives a placed field its live state (made from
// its DefineEditText the first time it is asked for); UpdateBoundTextFields shows in every field
// tied to a timeline variable (DefineEditText's variable name) that variable's current value,
// as the player does once per frame after the scripts ran.
//
// Failure: none; a variable the host cannot read leaves the field's text as it is.
#pragma once

#include "swf/format/SwfMovie.h"
#include "swf/player/DisplayList.h"
#include "swf/player/ScriptHost.h"
#include "swf/player/TextFieldState.h"

namespace saver::swf {

TextFieldState& TextFieldOf(const DisplayObject& object, const EditText& field, const Movie& movie);

// Walks `timeline`'s display list and its sprites.
void UpdateBoundTextFields(TimelineInstance& timeline, ScriptHost& host, const Movie& movie);

}  // namespace saver::swf
