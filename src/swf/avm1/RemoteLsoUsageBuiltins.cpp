// RemoteLSOUsage: how much a server's shared objects take on disk. A screensaver's movie
// comes from no server, so `getURLPageSupport` reports nothing.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptShaped.h"

namespace saver::swf::avm1 {

namespace {

Value Nothing(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallRemoteLsoUsageBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    Object* cls = MakeClass(vm, "RemoteLSOUsage", Nothing, proto);
    ScriptShapedMethod(vm, cls, "getURLPageSupport", Nothing, kDontEnum);
}

}  // namespace saver::swf::avm1
