// What the script engine tells text fields, and the fields' objects: the value of the variable
// a field is tied to. The
// name may be a plain variable of the field's timeline or a path to one in either notation
// ("_root.clock.time", "/clock:time", "_parent.t"); each step is a member lookup, so clips,
// instance names and _root/_parent resolve as they do in scripts.
#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptRunner.h"

#include "swf/avm1/StringUtil.h"
#include "swf/avm1/TextFieldObject.h"
#include "swf/player/ScriptTextField.h"
#include "swf/player/TextFieldBinding.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

bool ScriptRunner::readVariable(TimelineInstance& timeline, const std::string& name,
                                std::string& value) {
    if (name.empty() || !root_) return false;
    try {
        return lookUp(timeline, name, value);
    } catch (...) {
        return false;  // a getter that ran out of budget: the field keeps its text
    }
}

bool ScriptRunner::lookUp(TimelineInstance& timeline, const std::string& name, std::string& value) {
    Value target = clipObject(timeline);
    std::string path = name, var = name;
    const std::size_t split = name.find_last_of(":.");
    if (split != std::string::npos) {
        path = name.substr(0, split);
        var = name.substr(split + 1);
        if (!path.empty() && path[0] == '/') {
            target = clipObject(*root_);
            path.erase(0, 1);
        }
        std::size_t start = 0;
        while (start < path.size()) {
            std::size_t end = path.find_first_of("./", start);
            if (end == std::string::npos) end = path.size();
            const std::string step = path.substr(start, end - start);
            if (step == "..")
                target = vm_->getMember(target, "_parent");
            else if (!step.empty())
                target = vm_->getMember(target, step);
            if (!target.isObject()) return false;
            start = end + 1;
        }
    }
    const Value v = vm_->getMember(target, var);
    if (v.isUndefined()) return false;
    value = vm_->toString(v);
    return true;
}

Value ScriptRunner::textFieldNamed(TimelineInstance& timeline, const std::string& name,
                                   bool caseSensitive) {
    for (const auto& [depth, object] : timeline.displayList()) {
        if (object.name.empty()) continue;
        if (caseSensitive ? object.name != name : FoldCase(object.name) != FoldCase(name)) continue;
        const auto it = movie_->dictionary.find(object.characterId);
        const auto* field =
            it == movie_->dictionary.end() ? nullptr : std::get_if<EditText>(&it->second);
        if (!field && !IsScriptTextField(object)) continue;
        if (field) TextFieldOf(object, *field, *movie_);
        object.text->setOwner(timeline.weak_from_this());
        return textFieldObject(object.text);
    }
    return Value{};
}

Object* ScriptRunner::textFieldObject(const std::shared_ptr<TextFieldState>& field) {
    const auto it = textFields_.find(field.get());
    if (it != textFields_.end() && it->second->textField.lock() == field) return it->second;
    Object* o = NewTextFieldObject(*vm_, field);
    textFields_[field.get()] = o;
    vm_->holdRoot(o);
    // A field is a broadcaster (onChanged, onScroller, onSetFocus, onKillFocus) that listens
    // to itself.
    InitializeBroadcaster(*vm_, o);
    if (Object* listeners = vm_->getMember(o, "_listeners").asObject())
        SetElement(*vm_, listeners, ArrayLength(*vm_, listeners), o);
    return o;
}

void ScriptRunner::keepTextFields(std::vector<Object*>& keep) {
    std::erase_if(textFields_, [](const auto& entry) { return entry.second->textField.expired(); });
    for (const auto& entry : textFields_) keep.push_back(entry.second);
}

}  // namespace saver::swf::avm1
