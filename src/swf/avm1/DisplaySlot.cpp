// A text field object keeps only its field's state, so its place is found by walking the
// stage from the root; the walk is bounded by the sprite nesting limit.
#include "swf/avm1/DisplaySlot.h"

#include "swf/avm1/ScriptRunner.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

bool FindField(TimelineInstance& at, const TextFieldState* field, DisplaySlot& slot, int nesting) {
    if (nesting > kMaxSpriteNesting) return false;
    for (auto& [depth, object] : at.displayList()) {
        if (object.pendingRemoval) continue;
        if (object.text.get() == field) {
            slot.parent = at.shared_from_this();
            slot.depth = depth;
            return true;
        }
        if (object.sprite && FindField(*object.sprite, field, slot, nesting + 1)) return true;
    }
    return false;
}

}  // namespace

bool FindDisplaySlot(const ScriptRunner& runner, Object* object, DisplaySlot& slot) {
    if (!object) return false;
    if (auto t = runner.timelineOf(object)) {
        slot.parent = t->parent();
        slot.depth = t->depth();
        return slot.parent && t->placement();
    }
    auto field = object->textField.lock();
    TimelineInstance* root = runner.root();
    return field && root && FindField(*root, field.get(), slot, 0);
}

}  // namespace saver::swf::avm1
