// LocalConnection: messages between movies playing on the same machine. A screensaver's
// movie is the only one running, so a connection listens for senders that never come and a
// message sent finds no receiver: `send` answers true and `onStatus({level: "error"})` comes
// on the next timer pass. A name can be taken once, as the player allows; `close` frees it.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"

namespace saver::swf::avm1 {

namespace {

// The names taken so far, as properties of an object the methods share.
Object* Names(CallInfo& c) {
    return c.callee && !c.callee->bound.empty() ? c.callee->bound[0].asObject() : nullptr;
}

Value Connect(CallInfo& c) {
    Object* names = Names(c);
    Object* self = c.thisValue.asObject();
    if (!names || !self || c.args.empty() || !c.args[0].isString()) return false;
    const std::string name = c.args[0].asString();
    if (name.empty() || name.find(':') != std::string::npos || names->findOwn(name)) return false;
    if (!c.vm.getMember(self, "__connectionName").isUndefined()) return false;
    names->put(name, true);
    self->put("__connectionName", name, kDontEnum);
    return true;
}

Value Close(CallInfo& c) {
    Object* names = Names(c);
    Object* self = c.thisValue.asObject();
    if (!names || !self) return Value{};
    if (Property* p = self->findOwn("__connectionName"); p && p->value.isString()) {
        names->remove(p->value.asString());
        self->remove("__connectionName");
    }
    return Value{};
}

Value Domain(CallInfo&) {
    return std::string("localhost");
}

Value AnswerSend(CallInfo& c) {
    if (!c.callee || c.callee->bound.empty()) return Value{};
    Object* info = c.vm.newObject();
    info->put("level", std::string("error"));
    c.vm.callMethod(c.callee->bound[0], "onStatus", {info});
    return Value{};
}

Value Send(CallInfo& c) {
    if (!c.thisValue.isObject() || c.args.size() < 2) return false;
    if (c.vm.toString(c.args[0]).empty() || c.vm.toString(c.args[1]).empty()) return false;
    Object* answer = c.vm.newFunction(AnswerSend);
    answer->bound = {c.thisValue};
    CallOnNextTimerPass(c.vm, answer);
    return true;
}

Value Nothing(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallLocalConnectionBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "LocalConnection", Nothing, proto);
    Object* names = vm.newObject();
    const std::uint16_t fromSwf6 = 0x80;
    const std::pair<const char*, NativeFn> methods[] = {
        {"connect", Connect}, {"send", Send}, {"close", Close}, {"domain", Domain}};
    for (const auto& [name, fn] : methods) vm.method(proto, name, fn, fromSwf6)->bound = {names};
}

}  // namespace saver::swf::avm1
