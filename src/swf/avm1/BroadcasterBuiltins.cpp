// AsBroadcaster: gives an object a `_listeners` array and the methods that add, remove and
// call listeners.
#include <algorithm>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Object* Listeners(CallInfo& c) {
    Object* list = c.vm.getMember(c.thisValue, "_listeners").asObject();
    return list && list->kind() == Object::Kind::Array ? list : nullptr;
}

Value RemoveListener(CallInfo& c) {
    Object* list = Listeners(c);
    if (!list) return false;
    // Listeners compare as `==` does: removing undefined takes the first null out.
    std::vector<Value> e = ArrayValues(c.vm, list);
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (c.vm.looseEquals(e[i], c.arg(0))) {
            e = ArrayValues(c.vm, list);  // valueOf may have changed it
            if (i >= e.size()) return false;
            e.erase(e.begin() + static_cast<long>(i));
            SetArrayValues(c.vm, list, e);
            return true;
        }
    }
    return false;
}

Value AddListener(CallInfo& c) {
    Object* list = Listeners(c);
    if (!list) return true;
    // A listener equal (`==`) to one in the list takes its place; a new one goes last.
    const std::vector<Value> e = ArrayValues(c.vm, list);
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (c.vm.looseEquals(e[i], c.arg(0))) {
            SetElement(c.vm, list, static_cast<std::int32_t>(i), c.arg(0));
            return true;
        }
    }
    SetElement(c.vm, list, std::max(ArrayLength(c.vm, list), 0), c.arg(0));
    return true;
}

Value BroadcastMessage(CallInfo& c) {
    Object* list = Listeners(c);
    if (!list || c.args.empty()) return Value{};
    const std::string name = c.vm.toString(c.args[0]);
    const std::vector<Value> args(c.args.begin() + 1, c.args.end());
    const std::vector<Value> listeners = ArrayValues(c.vm, list);  // a listener may change the list
    bool any = false;  // true once a listener was there (holes and null do not count)
    for (const Value& l : listeners) {
        if (l.isNullish()) continue;
        any = true;
        // An empty message name calls each listener itself.
        if (name.empty())
            c.vm.call(l, l, args);
        else
            c.vm.callMethod(l, name, args);
    }
    return any ? Value(true) : Value{};
}

Value Initialize(CallInfo& c) {
    Object* target = c.arg(0).asObject();
    Object* self = c.thisValue.asObject();
    if (!target || !self) return Value{};
    for (const char* name : {"addListener", "removeListener"})
        target->put(name, c.vm.getMember(self, name), kDontEnum);
    // broadcastMessage is always the built-in, fetched through whatever `ASnative` is now.
    const Value asnative = c.vm.getMember(c.vm.global(), "ASnative");
    target->put("broadcastMessage", c.vm.call(asnative, Value{}, {101.0, 12.0}), kDontEnum);
    target->put("_listeners", c.vm.newArray(), kDontEnum);
    return Value{};
}

Value BroadcasterCtor(CallInfo& c) {
    return c.thisValue;
}

}  // namespace

void InitializeBroadcaster(Interpreter& vm, Object* target) {
    const std::vector<Value> args{Value(target)};
    CallInfo c{vm, vm.getMember(vm.global(), "AsBroadcaster"), args};
    Initialize(c);
}

void InstallBroadcasterBuiltins(Interpreter& vm) {
    Object* broadcaster = MakeClass(vm, "AsBroadcaster", BroadcasterCtor, nullptr);
    vm.method(broadcaster, "initialize", Initialize, 0x80);  // for SWF 6 code and later
    vm.method(broadcaster, "addListener", AddListener);
    vm.method(broadcaster, "removeListener", RemoveListener);
    vm.method(broadcaster, "broadcastMessage", BroadcastMessage);
    // The class is there for SWF 5 code too, its prototype only from SWF 6.
    broadcaster->findOwn("prototype")->flags |= 0x80;
}

}  // namespace saver::swf::avm1
