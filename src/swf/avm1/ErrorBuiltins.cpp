// Error: a message and a name; toString gives the message.
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

}  // namespace

void InstallErrorBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    vm.protos.error = proto;
    MakeClass(vm, "Error", ErrorCtor, proto);
    proto->put("name", "Error", kDontEnum);
    proto->put("message", "Error", kDontEnum);
    vm.method(proto, "toString", ErrorToString);
}

}  // namespace saver::swf::avm1
