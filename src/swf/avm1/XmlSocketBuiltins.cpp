// XMLSocket: a screensaver never opens a network connection. `connect` starts an attempt as
// the player does (true for any host, the movie's own when none is given) and the attempt
// fails: `onConnect(false)` comes on the next timer pass. `send` and `close` on a socket
// that never connected do nothing. The default `onData` parses what arrived and hands the
// XML to `onXML`, as the player's script library does.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"
#include "swf/avm1/ScriptShaped.h"

namespace saver::swf::avm1 {

namespace {

Value AnswerConnect(CallInfo& c) {
    if (!c.callee || c.callee->bound.empty()) return Value{};
    c.vm.callMethod(c.callee->bound[0], "onConnect", {false});
    return Value{};
}

Value Connect(CallInfo& c) {
    if (!c.thisValue.isObject()) return false;
    Object* answer = c.vm.newFunction(AnswerConnect);
    answer->bound = {c.thisValue};
    CallOnNextTimerPass(c.vm, answer);
    return true;
}

Value OnData(CallInfo& c) {
    const Value xml = c.vm.construct(c.vm.getMember(c.vm.global(), "XML"), {c.arg(0)});
    c.vm.callMethod(c.thisValue, "onXML", {xml});
    return Value{};
}

Value Nothing(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallXmlSocketBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "XMLSocket", Nothing, proto);
    vm.method(proto, "connect", Connect);
    vm.method(proto, "send", Nothing);
    vm.method(proto, "close", Nothing);
    ScriptShapedMethod(vm, proto, "onData", OnData);
}

}  // namespace saver::swf::avm1
