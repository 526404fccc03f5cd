// flash.net.FileReference and FileReferenceList: files the user picks in a dialog. A running
// screensaver has no user to pick one: `browse` (with valid filters) and `download` open
// their dialog as far as the movie can tell, answer true, and the dialog is dismissed on the
// next timer pass: the listeners hear `onCancel`. While that answer is pending another
// dialog is refused (false), as the player refuses a second dialog. No file is ever chosen,
// so `upload` fails and the file properties stay undefined.
#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::uint16_t kFromSwf8 = 0x1000;

// The pending dialog, shared by every FileReference and FileReferenceList method: a
// property `open` of an object the methods keep.
Object* DialogState(CallInfo& c) {
    return c.callee && !c.callee->bound.empty() ? c.callee->bound[0].asObject() : nullptr;
}

Value AnswerCancel(CallInfo& c) {
    if (!c.callee || c.callee->bound.size() < 2) return Value{};
    if (Object* state = c.callee->bound[1].asObject()) state->put("open", false);
    const Value target = c.callee->bound[0];
    c.vm.callMethod(target, "broadcastMessage", {std::string("onCancel"), target});
    return Value{};
}

// Opens the one dialog for `target`; false when one is open already.
bool OpenDialog(CallInfo& c) {
    Object* state = DialogState(c);
    if (!state || !c.thisValue.isObject()) return false;
    if (c.vm.toBool(c.vm.getMember(state, "open"))) return false;
    state->put("open", true);
    Object* answer = c.vm.newFunction(AnswerCancel);
    answer->bound = {c.thisValue, state};
    CallOnNextTimerPass(c.vm, answer);
    return true;
}

// A filter field: an own property (a getter that throws counts as missing) turned into
// text; a throwing toString reaches the script.
bool FilterField(Interpreter& vm, Object* filter, const char* name, std::string& out) {
    if (!filter->findOwn(name)) return false;
    Value v;
    try {
        v = vm.getMember(filter, name);
    } catch (const ScriptThrow&) {
        return false;
    }
    if (v.isUndefined()) return false;
    out = vm.toString(v);
    return true;
}

// No argument allows every file; otherwise a non-empty array of objects, each with a
// description and extension that are not empty.
bool ValidFilters(CallInfo& c) {
    if (c.args.empty()) return true;
    Object* list = c.args[0].asObject();
    if (!list || list->kind() != Object::Kind::Array) return false;
    const std::int32_t n = ArrayLength(c.vm, list);
    if (n <= 0) return false;
    bool valid = true;
    for (std::int32_t i = 0; i < n && i < 65536; ++i) {
        Object* filter = c.vm.getMember(list, std::to_string(i)).asObject();
        std::string description, extension, macType;
        if (!filter || !FilterField(c.vm, filter, "description", description) ||
            !FilterField(c.vm, filter, "extension", extension))
            return false;
        FilterField(c.vm, filter, "macType", macType);
        valid = valid && !description.empty() && !extension.empty();
    }
    return valid;
}

Value Browse(CallInfo& c) {
    if (!ValidFilters(c)) return false;
    return OpenDialog(c);
}

Value Download(CallInfo& c) {
    if (c.args.empty() || c.vm.toString(c.args[0]).empty()) return false;
    return OpenDialog(c);
}

Value False(CallInfo&) {
    return false;
}

Value Nothing(CallInfo&) {
    return Value{};
}

// The properties a chosen file would fill: read-only, and undefined with no file.
void FillFileProperties(Interpreter& vm, Object* target) {
    for (const char* name :
         {"creationDate", "creator", "modificationDate", "name", "size", "type"}) {
        Property& p = target->put(name, Value{});
        p.getter = vm.newFunction(Nothing);
    }
    target->put("postData", std::string("undefined"));
}

Value FileReferenceCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self) return Value{};
    self->put("_listeners", c.vm.newArray());
    FillFileProperties(c.vm, self);
    return Value{};
}

Value FileReferenceListCtor(CallInfo& c) {
    if (Object* self = c.thisValue.asObject()) self->put("_listeners", c.vm.newArray());
    return Value{};
}

// A broadcasting prototype: AsBroadcaster's methods, all hidden and permanent.
Object* BroadcastingPrototype(Interpreter& vm) {
    Object* proto = vm.newObject();
    InitializeBroadcaster(vm, proto);
    for (const char* name : {"_listeners", "addListener", "removeListener", "broadcastMessage"})
        if (Property* p = proto->findOwn(name)) p->flags |= kDontEnum | kDontDelete;
    return proto;
}

Object* MakeNetClass(Interpreter& vm, Object* package, const char* name, NativeFn ctor) {
    Object* proto = BroadcastingPrototype(vm);
    Object* cls = vm.newFunction(ctor, proto);
    package->put(name, cls, kDontEnum);
    return proto;
}

}  // namespace

Value FileReferenceInit(CallInfo& c) {
    Object* target = c.arg(0).asObject();
    if (!target) target = c.thisValue.asObject();
    if (target) FillFileProperties(c.vm, target);
    return Value{};
}

void InstallFileReferenceBuiltins(Interpreter& vm) {
    Object* net = PackageObject(vm, "flash.net");
    Object* dialog = vm.newObject();
    const std::uint16_t f = kFromSwf8;

    Object* ref = MakeNetClass(vm, net, "FileReference", FileReferenceCtor);
    vm.method(ref, "browse", Browse, f)->bound = {dialog};
    vm.method(ref, "download", Download, f)->bound = {dialog};
    vm.method(ref, "upload", False, f);
    vm.method(ref, "cancel", Nothing, f);

    Object* list = MakeNetClass(vm, net, "FileReferenceList", FileReferenceListCtor);
    vm.method(list, "browse", Browse, f)->bound = {dialog};
}

}  // namespace saver::swf::avm1
