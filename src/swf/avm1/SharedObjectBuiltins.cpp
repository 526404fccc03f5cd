// SharedObject: `getLocal(name)` gives the same object for a name for the whole run, with its
// `data` object; nothing is written to disk, so a screensaver's movie starts fresh each time.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Value GetLocal(CallInfo& c) {
    if (c.args.empty() || !c.callee) return Value(Null{});
    const std::string name = c.vm.toString(c.args[0]);
    if (name.empty()) return Value(Null{});
    // The objects made so far hang off the function itself: name, object pairs.
    Object* store = c.callee->bound.empty() ? nullptr : c.callee->bound[0].asObject();
    if (!store) return Value(Null{});
    if (Property* p = store->findOwn(name)) return p->value;
    Object* proto = c.callee->bound.size() > 1 ? c.callee->bound[1].asObject() : nullptr;
    Object* so = c.vm.newObject(proto);
    so->put("data", c.vm.newObject(), kDontEnum);
    store->put(name, so);
    return so;
}

Value Flush(CallInfo&) {
    return true;
}

Value Clear(CallInfo& c) {
    if (c.thisValue.isObject()) c.vm.setMember(c.thisValue, "data", c.vm.newObject());
    return Value{};
}

Value GetSize(CallInfo&) {
    return 0;
}

Value Nothing(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallSharedObjectBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    Object* so = MakeClass(vm, "SharedObject", Nothing, proto);
    Object* getLocal = vm.method(so, "getLocal", GetLocal);
    getLocal->bound = {vm.newObject(), proto};
    vm.method(proto, "flush", Flush);
    vm.method(proto, "clear", Clear);
    vm.method(proto, "getSize", GetSize);
    vm.method(proto, "close", Nothing);
    vm.method(proto, "connect", Nothing);
    vm.method(proto, "send", Nothing);
    vm.method(proto, "setFps", Nothing);
}

}  // namespace saver::swf::avm1
