// The state hangs off the display object, so it lives and dies with the placement; a field
// replaced by another character loses it with the sprite slot (ApplyPlace).
#include "swf/player/TextFieldBinding.h"

#include "swf/player/ScriptTextField.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

TextFieldState& TextFieldOf(const DisplayObject& object, const EditText& field,
                            const Movie& movie) {
    if (!object.text) object.text = std::make_shared<TextFieldState>(field, movie);
    return *object.text;
}

void UpdateBoundTextFields(TimelineInstance& timeline, ScriptHost& host, const Movie& movie) {
    for (const auto& [depth, object] : timeline.displayList()) {
        if (object.sprite) {
            UpdateBoundTextFields(*object.sprite, host, movie);
            continue;
        }
        const auto it = movie.dictionary.find(object.characterId);
        const auto* field =
            it == movie.dictionary.end() ? nullptr : std::get_if<EditText>(&it->second);
        if (!field && !IsScriptTextField(object)) continue;
        if (field && field->variableName.empty() && !object.text) continue;
        TextFieldState& state = field ? TextFieldOf(object, *field, movie) : *object.text;
        std::string value;
        if (state.variable().empty() || !host.readVariable(timeline, state.variable(), value))
            continue;
        if (state.html() && value == state.htmlSource()) continue;  // the variable kept its value
        if (state.html())
            state.setHtmlText(value);
        else
            state.setText(value);
    }
}

}  // namespace saver::swf
