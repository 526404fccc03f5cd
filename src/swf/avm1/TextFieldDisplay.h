// TextFieldDisplay: text fields as display objects seen from scripts. MovieClip's
// createTextField(name, depth, x, y, width, height) (SWF 6 and later; it returns the field from
// SWF 8 on, as the player that added the return value does), TextField's removeTextField, and
// the display properties a field shares with clips: _x, _y, _xscale, _yscale, _rotation,
// _alpha, _visible, _name, _parent, _target.
//
// Failure: a field that left the stage reads undefined and ignores writes; a write of NaN,
// undefined or null leaves the property as it was; createTextField with fewer than six
// arguments does nothing.
#pragma once

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

// Adds createTextField to MovieClip.prototype (after the clip prototype exists).
void InstallTextFieldClipMethods(Interpreter& vm);
// Adds removeTextField and the display properties to TextField.prototype.
void InstallTextFieldDisplay(Interpreter& vm, Object* proto);

}  // namespace saver::swf::avm1
