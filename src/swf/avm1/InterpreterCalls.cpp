// Calls: natives and script functions, constructors, and the frame a script function runs in
// (its registers, preloaded DefineFunction2 values, `this`, `super`, `arguments`).
#include <algorithm>
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/InterpreterFrame.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {

namespace {

// DefineFunction2 flags.
constexpr std::uint16_t kPreloadThis = 0x01, kSuppressThis = 0x02, kPreloadArguments = 0x04,
                        kSuppressArguments = 0x08, kPreloadSuper = 0x10, kSuppressSuper = 0x20,
                        kPreloadRoot = 0x40, kPreloadParent = 0x80, kPreloadGlobal = 0x100;

}  // namespace

Value Interpreter::call(const Value& fn, const Value& thisValue, const std::vector<Value>& args) {
    Object* f = fn.asObject();
    if (!f || !f->isFunction()) return Value{};
    PinScope pin(pinned_);
    Object* self = thisValue.asObject();
    return callFunction(f, thisValue, args, self ? self->proto() : nullptr, false);
}

Value Interpreter::callMethod(const Value& object, const std::string& name,
                              const std::vector<Value>& args) {
    PinScope pin(pinned_);
    Object* o = toObject(object);
    if (!o) return Value{};
    Object* holder = nullptr;
    Property* p = lookup(o, name, &holder);
    if (!p) return Value{};
    const Value fn = p->getter ? call(p->getter, object, {}) : p->value;
    Object* f = fn.asObject();
    if (!f || !f->isFunction()) return Value{};
    return callFunction(f, object, args, holder, false);
}

Value Interpreter::construct(const Value& fnValue, const std::vector<Value>& args) {
    Object* fn = fnValue.asObject();
    if (!fn || !fn->isFunction()) return Value{};
    PinScope pin(pinned_);
    const Value protoValue = getMember(fn, "prototype");
    // A class without a prototype makes objects without one; a primitive prototype is kept
    // as the `__proto__` value (it leads nowhere).
    Object* obj =
        protoValue.asObject() ? newObject(protoValue.asObject()) : heap_.make(Object::Kind::Plain);
    if (!protoValue.isObject() && !protoValue.isNullish())
        obj->put("__proto__", protoValue, kDontEnum | kDontDelete);
    obj->put("__constructor__", fn, kDontEnum);
    if (version() <= 6) obj->put("constructor", fn, kDontEnum);
    constructRefused = false;
    const Value result = callFunction(fn, obj, args, protoValue.asObject(), true);
    if (fn->native && constructRefused) {
        constructRefused = false;
        return Value{};
    }
    if (fn->native && result.isObject()) return result;
    return obj;
}

Value Interpreter::callFunction(Object* fn, const Value& thisValue, const std::vector<Value>& args,
                                Object* home, bool construct) {
    if (depth_ >= kMaxCallDepth) throw ScriptHalt{false};
    struct Depth {
        int& d;
        explicit Depth(int& x) : d(x) { ++d; }
        ~Depth() { --d; }
    } depth(depth_);
    if (fn->native) {
        PinScope pin(pinned_);
        CallInfo info{*this, thisValue, args, fn, construct};
        struct Callee {  // scripts this built-in calls see it as their caller
            Interpreter& vm;
            Object* fn;
            std::size_t frames;
            ~Callee() { vm.nativeCallee_ = fn, vm.nativeCalleeFrames_ = frames; }
        } restore{*this, nativeCallee_, nativeCalleeFrames_};
        // call and apply are not callers: the function they call sees the script below them.
        nativeCallee_ = fn->passesCaller ? nullptr : fn;
        nativeCalleeFrames_ = frames_.size();
        return fn->native(info);
    }
    if (fn->script) {
        nextCallConstructs_ = construct;
        return runScriptFunction(fn, thisValue, args, home);
    }
    return Value{};
}

bool Interpreter::callerConstructs() const {
    return !frames_.empty() && frames_.back()->constructing;
}

Object* Interpreter::currentTarget() const {
    return frames_.empty() ? nullptr : frames_.back()->target;
}

Value Interpreter::runScriptFunction(Object* fn, const Value& thisValue,
                                     const std::vector<Value>& args, Object* home) {
    // A movie may set its own recursion limit: the frame script and the functions open count
    // up to it.
    if (movie && movie->maxRecursionDepth && scriptDepth_ + 1 >= *movie->maxRecursionDepth)
        throw ScriptHalt{false};
    struct Depth {
        int& d;
        explicit Depth(int& x) : d(x) { ++d; }
        ~Depth() { --d; }
    } depth(scriptDepth_);
    const ScriptCode& c = *fn->script;
    Frame f;
    f.code = {c.code, c.size};
    // A function body runs SWF 5 rules at least: one defined in a SWF 4 movie compares to
    // booleans and divides by zero to infinity.
    f.version = std::max(5, c.version);
    f.constants = c.constants;
    f.callee = fn;
    f.home = home;
    f.constructing = nextCallConstructs_;
    nextCallConstructs_ = false;
    f.thisValue = thisValue;
    // A function that preloads or suppresses `this` reads the caller's `this` by name.
    if (c.v2 && (c.flags & (kPreloadThis | kSuppressThis)))
        f.thisValue = frames_.empty() ? Value{} : frames_.back()->thisValue;
    f.activation = heap_.make(Object::Kind::Plain);
    Object* act = f.activation;
    Object* caller = frames_.empty() ? nullptr : frames_.back()->target;
    if (c.version >= 6) {
        f.scope = c.scope;
        f.target = c.target ? c.target : caller;
        f.timelineIndex = f.scope.size() > 1 ? 1 : 0;
        rehomeFunction(f, thisValue);
    } else {
        Object* self = thisValue.asObject();
        f.target = self && self->kind() == Object::Kind::Clip ? self : (caller ? caller : c.target);
        f.scope = {global_, f.target};
        f.timelineIndex = 1;
    }
    f.baseClip = f.target;
    f.scope.push_back(act);
    f.stackBase = stack_.size();
    if (c.v2 && c.registerCount > 0) {  // a function of no registers shares the global four
        f.ownRegisters.resize(static_cast<std::size_t>(c.registerCount));
        f.registers = &f.ownRegisters;
    } else {
        f.registers = &globalRegisters_;
    }
    frames_.push_back(&f);
    struct Pop {
        Interpreter& vm;
        std::size_t base;
        ~Pop() {
            vm.frames_.pop_back();
            if (vm.stack_.size() > base) vm.stack_.resize(base);
        }
    } popper{*this, f.stackBase};

    Object* arguments = newArray(args);
    arguments->put("callee", fn, kDontEnum);
    Value callerFn = frames_.size() >= 2 && frames_[frames_.size() - 2]->callee
                         ? Value(frames_[frames_.size() - 2]->callee)
                         : Value(Null{});
    if (nativeCallee_ && nativeCalleeFrames_ + 1 == frames_.size()) callerFn = nativeCallee_;
    arguments->put("caller", callerFn, kDontEnum);
    // `super` exists for methods called by name and constructors (SWF 6 and later).
    Value superObj;
    if (home && c.version >= 6) {
        Object* s = heap_.make(Object::Kind::Super);
        s->bound = {thisValue, home};
        // How far down `this`'s chain the home is: super follows the chain as it is when used
        // (a method may give `this` a new prototype and then call super()).
        int depth = 0;
        const Object* p = thisValue.asObject();
        while (p && p != home && depth < 256) p = p->proto(), ++depth;
        if (p == home) s->bound.push_back(static_cast<double>(depth));
        if (Object* above = home->proto()) s->put("__proto__", above, kDontEnum | kDontDelete);
        superObj = s;
    }

    if (!c.v2) {
        act->put("arguments", arguments);
        act->put("super", superObj);
    } else {
        std::size_t reg = 1;
        auto preload = [&](std::uint16_t pre, std::uint16_t sup, const char* name, Value v) {
            if (c.flags & pre) {
                if (reg < f.ownRegisters.size())
                    f.ownRegisters[reg] = (c.flags & sup) ? Value{} : v;
                ++reg;
            } else if (!(c.flags & sup) && name) {
                act->put(name, v);
            }
        };
        preload(kPreloadThis, kSuppressThis, "this", thisValue);
        // Preloading arguments wins over suppressing them (this and super get undefined).
        preload(kPreloadArguments, (c.flags & kPreloadArguments) ? 0 : kSuppressArguments,
                "arguments", arguments);
        preload(kPreloadSuper, kSuppressSuper, "super", superObj);
        bool found = false;
        if (c.flags & kPreloadRoot)
            preload(kPreloadRoot, 0, nullptr, specialName(f, "_root", found));
        if (c.flags & kPreloadParent) {
            const Value parent = specialName(f, "_parent", found);
            if (!parent.isUndefined()) preload(kPreloadParent, 0, nullptr, parent);
        }
        if (c.flags & kPreloadGlobal) preload(kPreloadGlobal, 0, nullptr, global_);
    }
    for (std::size_t i = 0; i < c.params.size(); ++i) {
        const Value v = i < args.size() ? args[i] : Value{};
        const auto& p = c.params[i];
        if (c.v2 && p.reg > 0) {
            if (static_cast<std::size_t>(p.reg) < f.ownRegisters.size()) f.ownRegisters[p.reg] = v;
        } else {
            act->put(p.name, v);
        }
    }
    const Completion done = run(f, 0, f.code.size());
    return done.flow == Flow::Return ? done.value : Value{};
}

}  // namespace saver::swf::avm1
