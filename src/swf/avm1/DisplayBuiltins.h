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

// Selection: when the object with the focus was made invisible, nothing has the focus any
// more; its onKillFocus(null) and the listeners' onSetFocus(old, null) are told. Called after
// a script hid something.
void ReleaseLostFocus(Interpreter& vm);
// The same for the object at `depth` of `parent` and everything inside it, called before a
// script removes it (so the listeners still see where the focus was).
void ReleaseFocusInside(Interpreter& vm, TimelineInstance& parent, int depth);

// The timeline of a clip object; null for anything else or a clip whose timeline is gone.
inline std::shared_ptr<TimelineInstance> TimelineOfValue(const Value& v) {
    Object* o = v.asObject();
    return o && o->kind() == Object::Kind::Clip ? o->clip.lock() : nullptr;
}

}  // namespace saver::swf::avm1
