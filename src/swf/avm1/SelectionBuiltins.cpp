// Selection: the keyboard focus and the selection of the focused text field, as scripts set
// and read them. Selection is a broadcaster: a change of focus calls the old object's
// onKillFocus(new), the new one's onSetFocus(old), then the listeners' onSetFocus(old, new).
//
// What has the focus is kept weakly in the Selection object's own payload links (`textField`
// for a text field, `clip` for a clip; the object stays a plain one), so a focused object that
// goes away simply leaves nothing focused.
#include <algorithm>
#include <climits>
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/ScriptTextField.h"
#include "swf/player/TextFieldState.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

Object* SelectionObject(Interpreter& vm) {
    return vm.getMember(vm.global(), "Selection").asObject();
}

ScriptRunner* Runner(Interpreter& vm) {
    return dynamic_cast<ScriptRunner*>(&vm.host());
}

// The script object of what has the focus, or null.
Value Focused(Interpreter& vm) {
    Object* s = SelectionObject(vm);
    ScriptRunner* runner = Runner(vm);
    if (!s || !runner) return Null{};
    if (auto field = s->textField.lock()) return runner->textFieldObject(field);
    if (auto clip = s->clip.lock()) return runner->clipFor(*clip);
    return Null{};
}

std::shared_ptr<TextFieldState> FocusedField(Interpreter& vm) {
    Object* s = SelectionObject(vm);
    return s ? s->textField.lock() : nullptr;
}

// A clip takes the focus when a script enabled it or it acts as a button.
bool ClipFocusable(Interpreter& vm, Object* clip) {
    if (vm.toBool(vm.getMember(clip, "focusEnabled"))) return true;
    for (const char* handler : {"onPress", "onRelease", "onReleaseOutside", "onRollOver",
                                "onRollOut", "onDragOver", "onDragOut"})
        if (vm.getMember(clip, handler).asObject()) return true;
    return false;
}

// The object a setFocus argument names: an object, or a target path from the running
// script's clip ("a.b", "/a/b").
Object* Named(CallInfo& c, const Value& v) {
    if (v.isObject()) return v.asObject();
    Object* from = c.vm.currentTarget();
    if (!from) return nullptr;
    Value at = from;
    const std::string path = c.vm.toString(v);
    std::size_t start = 0;
    while (start <= path.size() && at.isObject()) {
        std::size_t end = path.find_first_of("./", start);
        if (end == std::string::npos) end = path.size();
        const std::string step = path.substr(start, end - start);
        if (!step.empty()) at = c.vm.getMember(at, step);
        start = end + 1;
    }
    return at.asObject();
}

Value SetFocus(CallInfo& c) {
    Object* s = SelectionObject(c.vm);
    ScriptRunner* runner = Runner(c.vm);
    if (c.args.empty() || !s || !runner) return false;
    std::shared_ptr<TextFieldState> field;
    std::shared_ptr<TimelineInstance> clip;
    if (!c.args[0].isNullish()) {
        Object* o = Named(c, c.args[0]);
        if (!o) return false;
        field = o->textField.lock();
        if (field && !field->options().selectable && !field->options().editable) return false;
        if (!field) {
            clip = runner->timelineOf(o);
            if (!clip || !ClipFocusable(c.vm, o)) return false;
        }
    }
    if (field) {
        // A field that a script gives the focus has all its text selected, even when it
        // already had the focus.
        TextFieldOptions& o = field->editOptions();
        o.selectionBegin = 0;
        o.selectionEnd = static_cast<int>(PlainText(field->styled()).size());
    }
    if (field == s->textField.lock() && clip == s->clip.lock()) return true;
    const Value old = Focused(c.vm);
    s->textField = field;
    s->clip = clip;
    const Value now = Focused(c.vm);
    if (old.isObject()) c.vm.callMethod(old, "onKillFocus", {now});
    if (now.isObject()) c.vm.callMethod(now, "onSetFocus", {old});
    c.vm.callMethod(s, "broadcastMessage", {Value("onSetFocus"), old, now});
    return true;
}

Value GetFocus(CallInfo& c) {
    const Value focused = Focused(c.vm);
    return focused.isObject() ? Value(c.vm.toString(focused)) : Value(Null{});
}

Value GetBeginIndex(CallInfo& c) {
    auto f = FocusedField(c.vm);
    if (!f || f->options().selectionBegin < 0) return -1.0;
    return double(std::min(f->options().selectionBegin, f->options().selectionEnd));
}

Value GetEndIndex(CallInfo& c) {
    auto f = FocusedField(c.vm);
    if (!f || f->options().selectionBegin < 0) return -1.0;
    return double(std::max(f->options().selectionBegin, f->options().selectionEnd));
}

Value GetCaretIndex(CallInfo& c) {
    auto f = FocusedField(c.vm);
    if (!f || f->options().selectionEnd < 0) return -1.0;
    return double(f->options().selectionEnd);
}

// setSelection(begin, end): indices cut to the focused field's text; a missing end is the end.
Value SetSelection(CallInfo& c) {
    auto f = FocusedField(c.vm);
    if (!f || c.args.empty()) return Value{};
    const auto length = static_cast<std::int64_t>(PlainText(f->styled()).size());
    auto index = [&](std::size_t i, std::int64_t fallback) {
        const std::int64_t n = i < c.args.size() ? ToInt32(c.vm.toNumber(c.args[i])) : fallback;
        return static_cast<int>(std::clamp<std::int64_t>(n, 0, length));
    };
    TextFieldOptions& o = f->editOptions();
    o.selectionBegin = index(0, 0);
    o.selectionEnd = index(1, INT_MAX);
    return Value{};
}

// Whether the focused object still takes the focus: on the stage and visible.
bool FocusHolds(const std::shared_ptr<TextFieldState>& field,
                const std::shared_ptr<TimelineInstance>& clip) {
    if (field) {
        auto owner = field->owner();
        const DisplayObject* o = owner ? FindTextFieldObject(*owner, *field) : nullptr;
        return o && o->visible && owner->onStage();
    }
    if (clip) {
        const DisplayObject* o = clip->placement();
        return clip->onStage() && (!o || o->visible);
    }
    return true;
}

// Whether `t` is the clip at `depth` of `parent` or inside it.
bool Inside(std::shared_ptr<TimelineInstance> t, TimelineInstance& parent, int depth) {
    const auto it = parent.displayList().find(depth);
    if (it == parent.displayList().end()) return false;
    for (; t; t = t->parent())
        if (t->placement() == &it->second) return true;
    return false;
}

void DropFocus(Interpreter& vm, Object* s) {
    const Value old = Focused(vm);
    s->textField.reset();
    s->clip.reset();
    if (old.isObject()) vm.callMethod(old, "onKillFocus", {Null{}});
    vm.callMethod(s, "broadcastMessage", {Value("onSetFocus"), old, Null{}});
}

}  // namespace

void ReleaseLostFocus(Interpreter& vm) {
    Object* s = SelectionObject(vm);
    if (!s) return;
    auto field = s->textField.lock();
    auto clip = s->clip.lock();
    if ((field || clip) && !FocusHolds(field, clip)) DropFocus(vm, s);
}

void ReleaseFocusInside(Interpreter& vm, TimelineInstance& parent, int depth) {
    Object* s = SelectionObject(vm);
    if (!s) return;
    bool inside = Inside(s->clip.lock(), parent, depth);
    if (auto field = s->textField.lock()) {
        auto owner = field->owner();
        int at = 0;
        inside = owner && FindTextFieldObject(*owner, *field, &at) &&
                 ((owner.get() == &parent && at == depth) || Inside(owner, parent, depth));
    }
    if (inside) DropFocus(vm, s);
}

void InstallSelectionBuiltins(Interpreter& vm) {
    Object* s = vm.newObject();
    vm.global()->put("Selection", s, kDontEnum);
    InitializeBroadcaster(vm, s);
    const std::pair<const char*, NativeFn> methods[] = {
        {"getBeginIndex", GetBeginIndex}, {"getEndIndex", GetEndIndex},
        {"getCaretIndex", GetCaretIndex}, {"getFocus", GetFocus},
        {"setFocus", SetFocus},           {"setSelection", SetSelection}};
    for (const auto& [name, fn] : methods) vm.method(s, name, fn, kReadOnly);
    // Everything on Selection is hidden, permanent and read-only, as the player makes it.
    s->put("constructor", vm.getMember(vm.global(), "Object"));
    SetPropFlags(s, "", kDontEnum | kDontDelete | kReadOnly, 0);
}

}  // namespace saver::swf::avm1
