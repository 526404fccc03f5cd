// The field keeps its origin in the matrix and its box at (0, 0), so _x and _y move it the way
// they move a placed field, and a later _width or autoSize works on the box alone.
#include "swf/player/ScriptTextField.h"

#include <algorithm>
#include <cmath>

#include "swf/player/TextFieldState.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

namespace {

std::int32_t Twips(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<std::int32_t>(std::clamp(std::trunc(v), -1e8, 1e8));
}

}  // namespace

std::shared_ptr<TextFieldState> AddScriptTextField(TimelineInstance& timeline, int depth,
                                                   const std::string& name, double x, double y,
                                                   double width, double height) {
    EditText field;
    // A negative size reaches left of or above the position.
    const std::int32_t w = Twips(width), h = Twips(height);
    field.bounds = {std::min(0, w), std::max(0, w), std::min(0, h), std::max(0, h)};
    field.fontHeight = 240;
    field.readOnly = true;  // "dynamic"
    timeline.removeAt(depth);
    DisplayObject object;
    object.name = name;
    object.matrix.tx = Twips(x);
    object.matrix.ty = Twips(y);
    object.text = std::make_shared<TextFieldState>(field, *timeline.context().movie);
    object.text->setOwner(timeline.weak_from_this());
    auto state = object.text;
    timeline.displayList()[depth] = std::move(object);
    return state;
}

DisplayObject* FindTextFieldObject(TimelineInstance& timeline, const TextFieldState& field,
                                   int* depth) {
    for (auto& [d, object] : timeline.displayList()) {
        if (object.text.get() != &field || object.pendingRemoval) continue;
        if (depth) *depth = d;
        return &object;
    }
    return nullptr;
}

bool IsScriptTextField(const DisplayObject& object) {
    return object.characterId == 0 && !object.sprite && object.text;
}

}  // namespace saver::swf
