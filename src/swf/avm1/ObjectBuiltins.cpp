// Object and Function: the root of the prototype chain, property reflection (hasOwnProperty,
// addProperty, watch), ASSetPropFlags, Function.call/apply.
#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

// Gives function `f` its own `constructor`, the Function class (Interpreter.cpp).
void GiveFunctionConstructor(Object* functionProto, Object* f);

namespace {

Value ObjectCtor(CallInfo& c) {
    if (!c.args.empty() && !c.args[0].isNullish()) return c.vm.toObject(c.args[0]);
    if (c.construct) return c.thisValue;
    // Called as a function with nothing to box, Object makes an object with no prototype.
    Object* bare = c.vm.newObject();
    bare->findOwn("__proto__")->flags = 0;
    bare->remove("__proto__");
    return bare;
}

Value ObjectToString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->isFunction() ? "[type Function]" : "[object Object]";
}

Value ObjectValueOf(CallInfo& c) {
    return c.thisValue;
}

Value HasOwnProperty(CallInfo& c) {
    Object* o = c.vm.toObject(c.thisValue);
    if (!o || c.args.empty()) return false;
    const std::string name = c.vm.toString(c.args[0]);
    if (name.empty()) return false;  // the empty name is never reported, even when set
    // A property ASSetPropFlags hides from this version is still the object's own.
    return o->findOwn(name) != nullptr;
}

Value IsPropertyEnumerable(CallInfo& c) {
    Object* o = c.vm.toObject(c.thisValue);
    if (!o || c.args.empty()) return false;
    const std::string name = c.vm.toString(c.args[0]);
    const Property* p = o->findOwn(name);
    return p && !c.vm.isHidden(*p) && !(p->flags & kDontEnum);
}

Value IsPrototypeOf(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    Object* o = c.vm.toObject(c.arg(0));  // a primitive is asked as its boxed object
    if (!self || !o) return false;
    int links = 0;
    for (Object* p = o->proto(); p && links < 256; p = p->proto(), ++links)
        if (p == self) return true;
    return false;
}

Value AddProperty(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o || c.args.size() < 2) return false;
    const std::string name = c.vm.toString(c.args[0]);
    Object* getter = c.args[1].asObject();
    const Value setter = c.arg(2);
    if (name.empty() || !getter || !getter->isFunction()) return false;
    if (!setter.isNull() && !(setter.asObject() && setter.asObject()->isFunction())) return false;
    // A property made virtual keeps the value it held (a watcher sees it as the old value).
    const Property* before = o->findOwn(name);
    Property& p = o->put(name, before ? before->value : Value{});
    p.getter = getter;
    p.setter = setter.asObject();
    return true;
}

Value Watch(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    Object* cb = c.arg(1).asObject();
    if (!o || c.args.empty() || !cb || !cb->isFunction()) return false;
    const std::string name = c.vm.toString(c.args[0]);
    for (std::size_t i = 0; i + 3 <= o->watchers.size(); i += 3) {
        if (o->watchers[i].asString() == name) {
            o->watchers[i + 1] = cb;
            o->watchers[i + 2] = c.arg(2);
            return true;
        }
    }
    o->watchers.insert(o->watchers.end(), {Value(name), Value(cb), c.arg(2)});
    return true;
}

Value Unwatch(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o || c.args.empty()) return false;
    const std::string name = c.vm.toString(c.args[0]);
    for (std::size_t i = 0; i + 3 <= o->watchers.size(); i += 3) {
        if (o->watchers[i].asString() == name) {
            o->watchers.erase(o->watchers.begin() + static_cast<long>(i),
                              o->watchers.begin() + static_cast<long>(i) + 3);
            return true;
        }
    }
    return false;
}

Value RegisterClass(CallInfo& c) {
    return c.args.size() >= 2;
}

// Called without `new`, Function hands back its argument (a cast), or a bare object.
Value FunctionCtor(CallInfo& c) {
    if (c.construct) return c.thisValue;
    if (!c.args.empty()) return c.args[0];
    return c.vm.heap().make(Object::Kind::Plain);
}

// `this` for call/apply: primitives boxed; undefined and null become _global.
Value ThisArg(CallInfo& c) {
    const Value v = c.arg(0);
    if (v.isNullish()) return c.vm.global();
    Object* o = c.vm.toObject(v);  // a primitive that boxes to nothing leaves _global
    return o ? Value(o) : Value(c.vm.global());
}

Value FunctionCall(CallInfo& c) {
    std::vector<Value> rest;
    if (c.args.size() > 1) rest.assign(c.args.begin() + 1, c.args.end());
    return c.vm.call(c.thisValue, ThisArg(c), rest);
}

Value FunctionApply(CallInfo& c) {
    std::vector<Value> rest;
    if (Object* list = c.arg(1).asObject()) {
        const double n = c.vm.toNumber(c.vm.getMember(list, "length"));
        for (long i = 0; i < static_cast<long>(n) && i < (1 << 16); ++i)
            rest.push_back(c.vm.getMember(list, std::to_string(i)));
    }
    return c.vm.call(c.thisValue, ThisArg(c), rest);
}

Value ASSetPropFlagsFn(CallInfo& c) {
    Object* o = c.arg(0).asObject();
    if (!o || c.args.size() < 3) return Value{};
    const auto set = static_cast<std::uint16_t>(ToInt32(c.vm.toNumber(c.args[2])));
    const auto clear = static_cast<std::uint16_t>(ToInt32(c.vm.toNumber(c.arg(3))));
    const Value names = c.args[1];
    if (names.isNull()) {
        SetPropFlags(o, "", set, clear);
    } else if (Object* list = names.asObject(); list && list->kind() == Object::Kind::Array) {
        for (const Value& n : ArrayValues(c.vm, list)) {
            const std::string name = c.vm.toString(n);
            if (!name.empty()) SetPropFlags(o, name, set, clear);
        }
    } else {
        const std::string s = c.vm.toString(names);
        if (!s.empty()) SetPropFlags(o, s, set, clear);
    }
    return Value{};
}

}  // namespace

void InstallObjectBuiltins(Interpreter& vm) {
    Object* proto = vm.protos.object;
    Object* object = MakeClass(vm, "Object", ObjectCtor, proto);
    vm.method(proto, "toString", ObjectToString);
    vm.method(proto, "valueOf", ObjectValueOf);
    // These came with the player of SWF 6.
    vm.method(proto, "hasOwnProperty", HasOwnProperty, 0x80);
    vm.method(proto, "isPropertyEnumerable", IsPropertyEnumerable, 0x80);
    vm.method(proto, "isPrototypeOf", IsPrototypeOf, 0x80);
    vm.method(proto, "addProperty", AddProperty, 0x80);
    vm.method(proto, "watch", Watch, 0x80);
    vm.method(proto, "unwatch", Unwatch, 0x80);
    vm.method(object, "registerClass", RegisterClass);

    Object* fproto = vm.protos.function;
    MakeClass(vm, "Function", FunctionCtor, fproto);
    vm.global()->findOwn("Function")->flags |= 0x80;  // the global name came with SWF 6
    // Both came with the player of SWF 6.
    vm.method(fproto, "call", FunctionCall, 0x80)->passesCaller = true;
    vm.method(fproto, "apply", FunctionApply, 0x80)->passesCaller = true;
    vm.method(vm.global(), "ASSetPropFlags", ASSetPropFlagsFn);
    // The functions made before Function existed get their `constructor` now.
    for (Object* holder : {proto, object, fproto}) {
        std::vector<Object*> fns{holder};
        holder->forEachOwn([&](const Property& p) {
            if (Object* f = p.value.asObject(); f && f->isFunction()) fns.push_back(f);
        });
        for (Object* f : fns)
            if (f->isFunction()) GiveFunctionConstructor(fproto, f);
    }
}

}  // namespace saver::swf::avm1
