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

namespace {

// A button is no timeline of its own to scripts: the fields among its states show variables
// of the timeline the button stands on (`scope`).
void UpdateFields(TimelineInstance& timeline, TimelineInstance& scope, ScriptHost& host,
                  const Movie& movie) {
    for (const auto& [depth, object] : timeline.displayList()) {
        const auto it = movie.dictionary.find(object.characterId);
        if (object.sprite) {
            const bool button =
                it != movie.dictionary.end() && std::holds_alternative<Button>(it->second);
            UpdateFields(*object.sprite, button ? scope : *object.sprite, host, movie);
            continue;
        }
        const auto* field =
            it == movie.dictionary.end() ? nullptr : std::get_if<EditText>(&it->second);
        if (!field && !IsScriptTextField(object)) continue;
        if (field && field->variableName.empty() && !object.text) continue;
        TextFieldState& state = field ? TextFieldOf(object, *field, movie) : *object.text;
        std::string value;
        if (state.variable().empty() || !host.readVariable(scope, state.variable(), value))
            continue;
        if (state.html() && value == state.htmlSource()) continue;  // the variable kept its value
        if (state.html())
            state.setHtmlText(value);
        else
            state.setText(value);
    }
}

}  // namespace

void UpdateBoundTextFields(TimelineInstance& timeline, ScriptHost& host, const Movie& movie) {
    UpdateFields(timeline, timeline, host, movie);
}

}  // namespace saver::swf
