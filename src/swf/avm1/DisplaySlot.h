// DisplaySlot: where a script's display object (a movie clip or a text field) sits: its parent
// timeline and its display-list depth. Depth methods (swapDepths, removeMovieClip) take text
// fields as well as clips, as Flash Player does.
//
// Failure: FindDisplaySlot returns false for anything that is not on a display list (a plain
// object, a clip or field that has left the stage, the root).
#pragma once

#include <memory>

#include "swf/avm1/Object.h"

namespace saver::swf {
class TimelineInstance;
}

namespace saver::swf::avm1 {

class ScriptRunner;

struct DisplaySlot {
    std::shared_ptr<TimelineInstance> parent;
    int depth = 0;
};

bool FindDisplaySlot(const ScriptRunner& runner, Object* object, DisplaySlot& slot);

}  // namespace saver::swf::avm1
