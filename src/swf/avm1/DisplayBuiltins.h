// The built-ins that reach the display: the drawing methods of MovieClip, Color and
// flash.geom.Transform applied to clips, and the Key, Mouse and Stage objects. Each group is
// installed by its own function; the script host calls them once, after the clip prototype
// exists.
#pragma once

#include <memory>

#include "swf/avm1/Interpreter.h"

namespace saver::swf {
class TimelineInstance;
}

namespace saver::swf::avm1 {

void InstallDrawingMethods(Interpreter& vm);  // clear, lineStyle, beginFill, moveTo, ...
void InstallColorBuiltins(Interpreter& vm);   // Color, flash.geom.Transform

// Selection: when the object with the focus was made invisible or left the stage, nothing has
// the focus any more; its onKillFocus(null) and the listeners' onSetFocus(old, null) are told.
// Called after a script hid or removed something.
void ReleaseLostFocus(Interpreter& vm);

// The timeline of a clip object; null for anything else or a clip whose timeline is gone.
inline std::shared_ptr<TimelineInstance> TimelineOfValue(const Value& v) {
    Object* o = v.asObject();
    return o && o->kind() == Object::Kind::Clip ? o->clip.lock() : nullptr;
}

}  // namespace saver::swf::avm1
