// Names and paths: variables on the scope chain, "a.b.c" and "/a/b:c" target paths,
// SetTarget, and the calls and constructions that name their function.
#include <algorithm>
#include <cmath>
#include <functional>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/InterpreterFrame.h"

namespace saver::swf::avm1 {

namespace {

bool NameIs(const std::string& name, const char* keyword, int version) {
    return version >= 7 ? name == keyword : FoldCase(name) == keyword;
}

// The keyword `this` read by name: SWF 5 code inside a function (not in a `with` block)
// spells it exactly, other SWF 5 and 6 code in any case, SWF 7 and later exactly.
bool IsThisName(const std::string& name, int version, bool functionScope) {
    if (version >= 7 || (version == 5 && functionScope)) return name == "this";
    return FoldCase(name) == "this";
}

bool IsLaterName(const std::string& name) {
    const std::string n = FoldCase(name);
    return n == "this" || n == "_root" || n == "_level0" || n == "_parent";
}

bool IsPath(const std::string& name) {
    return name.find_first_of(":/.") != std::string::npos;
}

}  // namespace

bool Interpreter::IsThis(const Frame& f, const std::string& name) {
    const bool functionScope = f.activation && !f.scope.empty() && f.scope.back() == f.activation;
    return IsThisName(name, f.version, functionScope);
}

Value Interpreter::specialName(Frame& f, const std::string& name, bool& found) {
    found = true;
    const int v = f.version;
    if (IsThis(f, name)) return f.thisValue;
    if (v >= 6 && NameIs(name, "_global", v)) return global_;
    if (NameIs(name, "_root", v) || NameIs(name, "_level0", v))
        return f.baseClip ? host_.clipProperty(f.baseClip, "_root") : Value{};
    if (NameIs(name, "_parent", v))
        return f.target ? host_.clipProperty(f.target, "_parent") : Value{};
    found = false;
    return Value{};
}

namespace {

// A clip or text field, which stands for itself where a target is asked for.
Object* DisplayObjectOf(const Value& v) {
    Object* o = v.asObject();
    return o && (o->kind() == Object::Kind::Clip || !o->textField.expired()) ? o : nullptr;
}

}  // namespace

Object* Interpreter::targetObject(Frame& f, const Value& path) {
    // Anything but a clip or text field is read as a path.
    if (Object* o = DisplayObjectOf(path)) return o;
    const std::string s = toString(path);
    if (s.empty()) return f.target;
    Object* start = f.target ? f.target : rootOf(f);
    return start ? followPath(f, start, s, true, false) : nullptr;
}

Object* Interpreter::resolveTarget(const Value& path, Object* from) {
    if (Object* o = DisplayObjectOf(path)) return o;
    if (frames_.empty()) return nullptr;
    Frame& f = *frames_.back();
    // Unlike tellTarget's, an empty path names nothing here.
    const std::string s = toString(path);
    Object* start = from ? from : f.target ? f.target : rootOf(f);
    return s.empty() || !start ? nullptr : followPath(f, start, s, true, false);
}

// tellTarget: a path from the script's own clip ('' is that clip). A target that names no clip
// leaves names to the root and timeline actions to nothing, as Flash Player does; SWF 6 and
// older read undefined as ''.
void Interpreter::setTargetPath(Frame& f, const Value& path) {
    setTarget(f, nullptr);
    if (path.isUndefined() && f.version <= 6) return;
    // A clip goes by its path too: of two clips with one name, the first is found.
    const std::string s = path.isUndefined() ? "undefined" : toString(path);
    // A clip that has left the stage (its own script's tellTarget took it away) is no target.
    if (s.empty() && !host_.clipLeftStage(f.baseClip)) return;
    Object* clip = !s.empty() && f.baseClip && !host_.clipLeftStage(f.baseClip)
                       ? followPath(f, f.baseClip, s, true, false)
                       : nullptr;
    if (clip && (clip->kind() != Object::Kind::Clip || host_.clipLeftStage(clip))) clip = nullptr;
    if (clip) return setTarget(f, clip);
    // No clip: names read the root's, timeline actions and properties reach nothing.
    bool special = false;
    Object* root = specialName(f, "_root", special).asObject();
    if (!root) return;
    f.target = nullptr;
    if (f.timelineIndex < f.scope.size()) f.scope[f.timelineIndex] = root;
}

// A function whose clip is gone (none stands at its path) runs on `this` when that is a clip
// on the stage, or else on the root.
void Interpreter::rehomeFunction(Frame& f, const Value& thisValue) {
    if (!f.target || f.target->kind() != Object::Kind::Clip || host_.liveClip(f.target)) return;
    Object* self = thisValue.asObject();
    Object* home = self && self->kind() == Object::Kind::Clip ? host_.liveClip(self) : nullptr;
    if (!home) home = host_.clipProperty(f.target, "_root").asObject();
    if (!home) return;
    if (f.timelineIndex < f.scope.size() && f.scope[f.timelineIndex] == f.target)
        f.scope[f.timelineIndex] = home;
    f.target = home;
}

void Interpreter::setTarget(Frame& f, Object* clip) {
    Object* t = clip ? clip : f.baseClip;
    f.target = t;
    if (f.timelineIndex < f.scope.size()) f.scope[f.timelineIndex] = t;
}

Value Interpreter::getVariable(Frame& f, const std::string& name, Object** foundOn) {
    if (foundOn) *foundOn = nullptr;
    if (Value v; IsPath(name) && pathVariable(f, name, v, foundOn)) return v;
    bool special = false;
    // SWF 4 has none of the later special names: there `this`, `_root`, `_level0` and
    // `_parent` are variables like any other.
    if (f.version <= 4 && IsLaterName(name)) {
        for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it)
            if (const Property* p = (*it)->findOwn(name); p && !p->getter) return p->value;
        return Value{};
    }
    if (IsThis(f, name)) {
        // A parameter named `this` (DefineFunction2) is read in its place.
        const Property* local = f.activation ? f.activation->findOwn(name) : nullptr;
        return local && !local->getter ? local->value : f.thisValue;
    }
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
        if (hasProperty(*it, name)) {
            // SWF 4 code has no NaN or Infinity: the names read as unset variables.
            if (f.version <= 4 && *it == global_ &&
                (FoldCase(name) == "nan" || FoldCase(name) == "infinity"))
                return Value{};
            if (foundOn) *foundOn = *it;
            return getMember(*it, name);
        }
    }
    const Value v = specialName(f, name, special);
    if (special) return v;
    // A name found nowhere goes to the first scope object with a __resolve function.
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
        Object* fn = ResolveHandler(*this, *it);
        if (!fn) continue;
        if (!fn->isFunction()) break;
        if (foundOn) *foundOn = *it;
        return call(fn, *it, {Value(name)});
    }
    return Value{};
}

void Interpreter::setVariable(Frame& f, const std::string& name, const Value& value) {
    if (f.version >= 5 && name == "this") {  // rebinds `this` for the rest of the block
        f.thisValue = value;
        if (Property* local = f.activation ? f.activation->findOwn(name) : nullptr)
            local->value = value;
        return;
    }
    if (name.empty() || setPathVariable(f, name, value)) return;
    // An assignment lands on the innermost scope object that holds the name itself; one that
    // only inherits it (a `with` object whose prototype has it) is passed over.
    auto holds = [&](Object* s) {
        if (s->kind() == Object::Kind::Clip) return hasProperty(s, name);
        return s->findOwn(name) != nullptr;
    };
    for (std::size_t i = f.scope.size(); i-- > 0;) {
        Object* s = f.scope[i];
        if (i == f.timelineIndex || holds(s)) {
            setMember(s, name, value);
            return;
        }
    }
    if (f.target) setMember(f.target, name, value);
}

void Interpreter::defineLocal(Frame& f, const std::string& name, const Value& value,
                              bool declareOnly) {
    // Outside functions a path names the variable of another object, as SetVariable does;
    // inside one the whole text is the name of a local.
    if (!f.activation && name.find_first_of(":.") != std::string::npos) {
        if (!declareOnly) return setVariable(f, name, value);
        Value current;
        if (!pathVariable(f, name, current, nullptr) || current.isUndefined())
            setVariable(f, name, Value{});
        return;
    }
    Object* holder = f.activation ? f.activation : f.target;
    if (!holder && f.timelineIndex < f.scope.size()) holder = f.scope[f.timelineIndex];
    if (!holder) return;
    if (declareOnly) {
        if (!hasProperty(holder, name)) holder->put(name, Value{});  // inherited ones count
        return;
    }
    // Inside `with`, a name the `with` object holds itself is updated there.
    for (std::size_t i = f.scope.size(); i-- > f.timelineIndex + 1;) {
        Object* s = f.scope[i];
        if (s == f.activation) break;
        if (s->findOwn(name)) return setMember(s, name, value);
    }
    setMember(holder, name, value);
}

bool Interpreter::deleteVariable(Frame& f, const std::string& name) {
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it)
        if ((*it)->findOwn(name)) return (*it)->remove(name);
    return false;
}

// --- calls by name -------------------------------------------------------------------------

Value Interpreter::callAt(Frame& f, Object* fn, const Value& thisValue,
                          const std::vector<Value>& args, Object* home) {
    (void)f;
    if (!fn || !fn->isFunction()) return Value{};
    return callFunction(fn, thisValue, args, home, false);
}

// super(): the `__constructor__` found from the home prototype (getters run, `__resolve` is not
// asked; a clip standing in the chain as a prototype ends it). A built-in constructor makes
// `this` its own kind, as `new` would have (a Date super class gives the object its time, an
// Array its elements and length).
Value Interpreter::superConstruct(Frame& f, Object* super, const std::vector<Value>& args) {
    const Value self = super->bound.empty() ? Value{} : super->bound[0];
    Object* home = superHome(super);
    Object* holder = nullptr;
    const Property* p = home ? lookup(home, "__constructor__", &holder) : nullptr;
    if (!p) return Value{};
    Object* ctor = (p->getter ? call(p->getter, home, {}) : p->value).asObject();
    if (ctor && ctor->isFunction() && ctor->native && self.isObject())
        return callFunction(ctor, self, args, home->proto(), true);
    return callAt(f, ctor, self, args, home->proto());
}

namespace {

// Pops `count` arguments, but never more than the block has on the stack: a call that claims
// more arguments than were pushed gets only those.
std::vector<Value> PopArgs(Interpreter& vm, const std::function<Value()>& pop, double count,
                           std::size_t available) {
    std::vector<Value> args;
    const long n =
        std::min(std::clamp<long>(static_cast<long>(std::isnan(count) ? 0 : count), 0, 1 << 16),
                 static_cast<long>(available));
    for (long i = 0; i < n; ++i) args.push_back(pop());
    (void)vm;
    return args;
}

}  // namespace

void Interpreter::doCallFunction(Frame& f) {
    const std::string name = toString(pop());
    const double argCount = toNumber(pop());
    const auto args = PopArgs(
        *this, [this] { return pop(); }, argCount,
        stack_.size() > f.stackBase ? stack_.size() - f.stackBase : 0);
    Object* foundOn = nullptr;
    const Value fnValue = getVariable(f, name, &foundOn);
    // A primitive called is boxed first (the constructor _global names runs), then not called.
    Object* fn = fnValue.isNullish() ? nullptr : toObject(fnValue);
    if (fn && fn->kind() == Object::Kind::Super) {
        push(superConstruct(f, fn, args));
        return;
    }
    Value self = f.target;
    // A function found in a local scope (a nested function) runs with that activation as `this`.
    if (foundOn && foundOn != global_) self = foundOn;
    push(callAt(f, fn, self, args, nullptr));
}

void Interpreter::doCallMethod(Frame& f) {
    const Value nameValue = pop();
    const Value object = pop();
    const double argCount = toNumber(pop());
    const auto args = PopArgs(
        *this, [this] { return pop(); }, argCount,
        stack_.size() > f.stackBase ? stack_.size() - f.stackBase : 0);
    const std::string name = nameValue.isUndefined() ? "" : toString(nameValue);
    Object* o = object.asObject();
    if (name.empty()) {
        if (o && o->kind() == Object::Kind::Super) {
            push(superConstruct(f, o, args));
        } else {
            // A primitive is boxed first (the constructor _global names runs), then not called.
            if (!o && !object.isNullish()) o = toObject(object);
            // The function runs without `this`, but with a `super` (one without an object).
            push(callAt(f, o, Value{}, args, o));
        }
        return;
    }
    if (o && o->kind() == Object::Kind::Super) {
        Object* holder = nullptr;
        Property* p = lookup(superStart(o), name, &holder);
        Value fn = p ? (p->getter ? call(p->getter, o->bound[0], {}) : p->value) : Value{};
        push(callAt(f, fn.asObject(), o->bound[0], args, holder));
        return;
    }
    Object* self = toObject(object);
    if (!self) {
        push(Value{});
        return;
    }
    Object* holder = nullptr;
    Value fn;
    Property* p = self->kind() == Object::Kind::Clip && !self->findOwn(name)
                      ? nullptr
                      : lookup(self, name, &holder);
    if (p)
        fn = p->getter ? call(p->getter, self, {}) : p->value;
    else
        fn = getMember(self, name);
    // `super` in the method starts one link above the prototype the method was found on (one
    // found on the object itself counts as found on its prototype); SWF 6 code starts it above
    // the object's own prototype, wherever the method was found.
    Object* home = holder && holder != self && f.version >= 7 ? holder : self->proto();
    push(callAt(f, fn.asObject(), object.isObject() ? object : Value(self), args, home));
}

void Interpreter::doNew(Frame& f, bool isMethod) {
    Value fnValue;
    if (isMethod) {
        const Value nameValue = pop();
        const Value object = pop();
        const std::string name = nameValue.isUndefined() ? "" : toString(nameValue);
        fnValue = name.empty() ? object : getMember(object, name);
    } else {
        fnValue = getVariable(f, toString(pop()));
    }
    const double argCount = toNumber(pop());
    const auto args = PopArgs(
        *this, [this] { return pop(); }, argCount,
        stack_.size() > f.stackBase ? stack_.size() - f.stackBase : 0);
    Object* fn = fnValue.isNullish() ? nullptr : toObject(fnValue);  // a primitive is boxed
    if (!fn || !fn->isFunction()) {
        push(Value{});
        return;
    }
    const Value protoValue = getMember(fn, "prototype");
    // A class without a prototype makes objects without one; a primitive prototype is kept
    // as the `__proto__` value (it leads nowhere).
    Object* obj =
        protoValue.asObject() ? newObject(protoValue.asObject()) : heap_.make(Object::Kind::Plain);
    if (!protoValue.isObject() && !protoValue.isNullish())
        obj->put("__proto__", protoValue, kDontEnum | kDontDelete);
    if (f.version >= 6) obj->put("__constructor__", fn, kDontEnum);  // for super()
    if (f.version <= 6) obj->put("constructor", fn, kDontEnum);
    constructRefused = false;
    const Value result = callFunction(fn, obj, args, protoValue.asObject(), true);
    if (fn->native && constructRefused) {
        constructRefused = false;
        push(Value{});
        return;
    }
    push(fn->native && result.isObject() ? result : Value(obj));
}

void Interpreter::doEnumerate(Frame& f, const Value& target) {
    (void)f;
    push(Value{});
    Object* o = target.asObject();
    if (!o) return;
    std::vector<Object*> chain;
    for (Object* p = o; p && chain.size() < 256; p = p->proto()) chain.push_back(p);
    std::vector<std::string> names;
    auto seen = [&](const std::string& n) {
        return std::any_of(names.begin(), names.end(), [&](const std::string& x) {
            return o->caseSensitive() ? x == n : FoldCase(x) == FoldCase(n);
        });
    };
    // Pushed in this order (the object's own names, then each prototype's), so listed
    // backwards: names only a prototype has come out first.
    std::vector<std::string> order;
    for (auto it = chain.begin(); it != chain.end(); ++it) {
        Object* p = *it;
        p->forEachOwn([&](const Property& prop) {
            // Only DontEnum keeps a name out: for..in lists names hidden from this version.
            if (!(prop.flags & kDontEnum)) order.push_back(prop.name);
        });
    }
    // A clip's named children come out after its properties.
    if (o->kind() == Object::Kind::Clip) {
        std::vector<std::string> children;
        host_.clipChildNames(o, children);
        order.insert(order.begin(), children.begin(), children.end());
    }
    // The same name seen on an object and its prototype is listed once, at the nearest.
    for (const std::string& n : order)
        if (!seen(n)) names.push_back(n);
    for (const std::string& n : names) push(n);
}

void Interpreter::doExtends() {
    Object* superclass = pop().asObject();
    Object* subclass = pop().asObject();
    if (!superclass || !subclass) return;
    Object* superProto = getMember(superclass, "prototype").asObject();
    Object* proto = newObject(superProto);
    if (!superProto) proto->remove("__proto__");
    // No own `constructor`: the subclass prototype answers its superclass's through the chain.
    proto->put("__constructor__", superclass, kDontEnum);
    setMember(subclass, "prototype", proto);
}

}  // namespace saver::swf::avm1
