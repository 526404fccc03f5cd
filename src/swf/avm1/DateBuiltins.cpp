// Date: times in milliseconds since 1970 UTC; the local time zone is UTC.
#include <chrono>
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Value DateCtor(CallInfo& c) {
    Object* o = c.construct ? c.thisValue.asObject() : c.vm.newObject(c.vm.protos.date);
    o->setKind(Object::Kind::Date);
    double t;
    if (c.args.size() == 1) {
        t = c.vm.toNumber(c.args[0]);
    } else {
        t = static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count());
    }
    o->primitive = t;
    return c.construct ? Value(o) : Value(c.vm.toString(o));
}

Value GetTime(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->kind() == Object::Kind::Date ? o->primitive : Value(std::nan(""));
}

}  // namespace

void InstallDateBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    vm.protos.date = proto;
    MakeClass(vm, "Date", DateCtor, proto);
    vm.method(proto, "getTime", GetTime);
    vm.method(proto, "valueOf", GetTime);
}

}  // namespace saver::swf::avm1
