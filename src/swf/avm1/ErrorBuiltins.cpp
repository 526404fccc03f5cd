// Error: a message and a name; toString gives the message.
#include <algorithm>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Value ErrorCtor(CallInfo& c) {
    Object* o = c.construct ? c.thisValue.asObject() : c.vm.newObject(c.vm.protos.error);
    if (o && !c.arg(0).isUndefined()) o->put("message", c.arg(0));
    return o;
}

Value ErrorToString(CallInfo& c) {
    return c.vm.toString(c.vm.getMember(c.thisValue, "message"));
}

// AsSetupError(names): the player of this version only constructs one Error (whatever
// _global.Error is now) per comma-separated name and keeps nothing.
Value AsSetupError(CallInfo& c) {
    const Value names = c.arg(0);
    Object* boxed = names.asObject();
    if (!names.isString() && !(boxed && boxed->kind() == Object::Kind::String)) return Value{};
    const std::string text = c.vm.toString(names);
    const auto count = std::count(text.begin(), text.end(), ',') + 1;
    for (long i = 0; i < count; ++i) c.vm.construct(c.vm.getMember(c.vm.global(), "Error"), {});
    return Value{};
}

}  // namespace

void InstallErrorBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    vm.protos.error = proto;
    MakeClass(vm, "Error", ErrorCtor, proto);
    proto->put("name", "Error", kDontEnum);
    proto->put("message", "Error", kDontEnum);
    vm.method(proto, "toString", ErrorToString);
    vm.method(vm.global(), "AsSetupError", AsSetupError, kDontEnum | 0x80);
}

}  // namespace saver::swf::avm1
