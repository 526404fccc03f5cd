// The interpreter's core: frames, member access, conversions, the heap's roots. Calls are in
// InterpreterCalls.cpp, the action loop in InterpreterActions.cpp, the operators in
// InterpreterOperators.cpp.
#include "swf/avm1/Interpreter.h"

#include "swf/avm1/ArrayElements.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/InterpreterFrame.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {

namespace {

constexpr int kMaxProtoLinks = 256;

}  // namespace

Interpreter::Interpreter(int movieVersion, InterpreterHost& host)
    : movieVersion_(movieVersion), host_(host), heap_(movieVersion >= 7), globalRegisters_(4) {
    frameStart_ = std::clock();
    installBuiltins();
}

Interpreter::~Interpreter() = default;

int Interpreter::version() const {
    return frames_.empty() ? movieVersion_ : frames_.back()->version;
}

bool Interpreter::isHidden(const Property& p) const {
    const std::uint16_t f = p.flags;
    if (!(f & kVersionFlags)) return false;
    const int v = version();
    return ((f & 0x80) && v < 6) || ((f & 0x100) && v == 6) || ((f & 0x400) && v < 7) ||
           ((f & 0x1000) && v < 8) || ((f & 0x2000) && v < 9) || ((f & 0x4000) && v < 10);
}

Object* Interpreter::protoOf(const Object* o, bool strict) const {
    const Property* p = o ? o->findOwn("__proto__") : nullptr;
    Object* proto = p ? p->value.asObject() : nullptr;
    if (!proto) return nullptr;
    const std::uint16_t f = p->flags;
    const int v = version();
    // The SWF 6 exclusion flag is not looked at; the SWF 8 and 9 flags only below SWF 6.
    if (((f & 0x80) && v < 6) || ((f & 0x400) && v < 7) || ((f & 0x3000) && v < 6)) return nullptr;
    if (strict && (((f & 0x1000) && v == 7) || ((f & 0x2000) && v == 8))) return nullptr;
    return proto;
}

void Interpreter::setBudget(std::uint64_t actionsPerFrame, std::chrono::milliseconds timePerFrame) {
    actionBudget_ = actionsPerFrame;
    timeBudget_ = timePerFrame;
}

void Interpreter::checkBudget() {
    if (halted_) throw ScriptHalt{true};
    if (++actions_ > actionBudget_ || heap_.overBudget()) {
        halted_ = true;
        throw ScriptHalt{true};
    }
    // Processor time, not wall time: a loaded machine must not cut a script short.
    if ((actions_ & 0xFFF) == 0 &&
        static_cast<double>(std::clock() - frameStart_) * 1000.0 / CLOCKS_PER_SEC >
            static_cast<double>(timeBudget_.count())) {
        halted_ = true;
        throw ScriptHalt{true};
    }
}

namespace {

constexpr std::size_t kElementBudget = 8'000'000;       // array slots between collections
constexpr std::size_t kStringLimit = 16 * 1024 * 1024;  // bytes in one string

}  // namespace

void Interpreter::chargeElements(std::size_t count) {
    elementsCharged_ += count;
    if (elementsCharged_ > kElementBudget) {
        halted_ = true;
        throw ScriptHalt{true};
    }
}

std::string Interpreter::concat(const std::string& a, const std::string& b) {
    if (a.size() + b.size() > kStringLimit) {
        halted_ = true;
        throw ScriptHalt{true};
    }
    return a + b;
}

void Interpreter::roots(const std::function<void(Object*)>& visit) const {
    auto value = [&](const Value& v) {
        if (Object* o = v.asObject()) visit(o);
    };
    visit(global_);
    for (Object* o : {protos.object, protos.function, protos.array, protos.string, protos.number,
                      protos.boolean, protos.date, protos.error, protos.clip})
        visit(o);
    for (const Value& v : stack_) value(v);
    for (const Value& v : globalRegisters_) value(v);
    for (const Frame* f : frames_) {
        for (Object* o : f->scope) visit(o);
        value(f->thisValue);
        for (Object* o : {f->target, f->baseClip, f->activation, f->callee, f->home}) visit(o);
        for (const Value& v : f->ownRegisters) value(v);
    }
    for (const ScriptSound& s : sounds) visit(s.sound);
    for (const ScriptSound& s : sounds)
        if (s.owner) visit(s.owner);
    for (const Timer& t : timers) {
        value(t.function);
        for (const Value& v : t.args) value(v);
    }
    for (Object* o : rootsHeld_) visit(o);
}

void Interpreter::maybeCollect() {
    if (pinned_ == 0 &&
        (heap_.allocatedSinceCollect() > 200'000 || elementsCharged_ > kElementBudget / 2)) {
        heap_.collect([this](const auto& visit) { roots(visit); });
        elementsCharged_ = 0;
    }
}

void Interpreter::endFrame(const std::vector<Object*>& extraRoots) {
    stack_.clear();
    for (Value& r : globalRegisters_) r = Value{};
    rootsHeld_ = extraRoots;
    if (frames_.empty() && pinned_ == 0) heap_.collect([this](const auto& visit) { roots(visit); });
    totalActions_ += actions_;
    actions_ = 0;
    halted_ = false;
    frameStart_ = std::clock();
}

void Interpreter::setUpFrameScript(Frame& f, std::span<const std::uint8_t> code, Object* clip,
                                   std::size_t stackBase) {
    f.code = code;
    f.version = movieVersion_;
    f.scope = {global_, clip};
    f.timelineIndex = 1;
    f.thisValue = clip;
    f.target = f.baseClip = clip;
    f.registers = &globalRegisters_;
    f.constants = constantPool_;
    f.stackBase = stackBase;
}

void Interpreter::runBlock(std::span<const std::uint8_t> code, Object* clip) {
    if (halted_) return;
    Frame f;
    setUpFrameScript(f, code, clip, 0);
    frames_.push_back(&f);
    try {
        run(f, 0, code.size());
    } catch (const ScriptThrow& t) {
        frames_.pop_back();  // the warning's toString runs outside the ended list
        constantPool_ = f.constants;
        reportUncaught(t);
        return;
    } catch (const ScriptHalt&) {
    }
    frames_.pop_back();
    constantPool_ = f.constants;
}

void Interpreter::runCalledBlock(std::span<const std::uint8_t> code, Object* clip) {
    const std::size_t base = stack_.size();
    const auto constants = constantPool_;
    Frame f;
    setUpFrameScript(f, code, clip, base);
    frames_.push_back(&f);
    try {
        run(f, 0, code.size());
    } catch (const ScriptThrow& t) {
        // An uncaught throw ends the called frame only.
        frames_.pop_back();
        if (stack_.size() > base) stack_.resize(base);
        constantPool_ = constants;
        reportUncaught(t);
        return;
    } catch (...) {
        frames_.pop_back();
        throw;
    }
    frames_.pop_back();
    if (stack_.size() > base) stack_.resize(base);
    constantPool_ = constants;
}

void Interpreter::reportUncaught(const ScriptThrow& t) {
    std::string text;
    try {
        text = toString(t.value);
    } catch (const ScriptThrow&) {
        text = "[type Object]";  // a toString that throws in turn
    } catch (const ScriptHalt&) {
        return;
    }
    host_.warning("Uncaught exception, " + text);
}

// --- members -------------------------------------------------------------------------------

bool Interpreter::callAccessor(const Object* holder, const std::string& name, const Value& fn,
                               const Value& self, const std::vector<Value>& args, Value& result) {
    // A getter that reads its own property (or a setter that writes it) re-enters itself; the
    // player lets 65 such calls nest and then leaves the accessor out (SWF 6 and older code
    // never re-enters one).
    const int kMaxAccessorNesting = version() <= 6 ? 1 : 65;
    // A property deleted and made again counts afresh.
    const Property* own = holder ? holder->findOwn(name) : nullptr;
    const auto key = std::make_pair(holder, own ? name + '\0' + std::to_string(own->serial) : name);
    int& open = accessorCalls_[key];
    if (open >= kMaxAccessorNesting) return false;
    ++open;
    struct Leave {
        std::map<std::pair<const Object*, std::string>, int>& calls;
        const std::pair<const Object*, std::string>& key;
        ~Leave() {
            if (--calls[key] == 0) calls.erase(key);
        }
    } leave{accessorCalls_, key};
    result = call(fn, self, args);
    return true;
}

long long ArrayIndex(const std::string& name) {
    if (name.empty() || name.size() > 10) return -1;
    if (name.size() > 1 && name[0] == '0') return -1;
    long long v = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v < 4294967295LL ? v : -1;
}

Property* Interpreter::lookup(Object* o, const std::string& name, Object** holder) {
    for (int links = 0; o && links < kMaxProtoLinks; ++links) {
        Property* p = o->findOwn(name);
        if (p && !isHidden(*p)) {
            if (holder) *holder = o;
            return p;
        }
        o = protoOf(o, false);
    }
    // A chain that goes on past the limit (one that loops) stops the scripts.
    if (o && !frames_.empty()) throw ScriptHalt{false};
    return nullptr;
}

bool Interpreter::hasProperty(Object* o, const std::string& name) {
    if (!o) return false;
    if (lookup(o, name)) return true;
    if (o->kind() == Object::Kind::Clip) return !host_.clipProperty(o, name).isUndefined();
    return false;
}

Value Interpreter::getMember(const Value& objectValue, const std::string& name) {
    if (objectValue.isString() && name == "length" && boxedByBuiltin(objectValue)) {
        return static_cast<double>(StringLength(objectValue.asString(), version()));
    }
    Object* o = toObject(objectValue);
    if (o && o->kind() == Object::Kind::Clip) o = host_.liveClip(o);  // a removed clip's path
    if (!o) return Value{};
    Object* start = o;
    Value self(o);
    if (o->kind() == Object::Kind::Super) {
        start = superStart(o);
        self = o->bound.empty() ? Value{} : o->bound[0];
    }
    if (o->kind() == Object::Kind::Clip) {
        if (Property* p = o->findOwn(name); p && !isHidden(*p)) {
            if (!p->getter) return p->value;
            Value v;
            if (callAccessor(o, p->name, p->getter, self, {}, v)) return v;
            const Property* stored = o->findOwn(name);
            return stored ? stored->value : Value{};
        }
        // A clip's `_parent` is its parent or nothing (the root's), never an inherited value.
        Value v = host_.clipProperty(o, name);
        if (!v.isUndefined() || (version() >= 7 ? name : FoldCase(name)) == "_parent") return v;
    }
    Object* holder = nullptr;
    if (Property* p = lookup(start, name, &holder)) {
        if (!p->getter) return p->value;
        // Past the nesting limit the read gives the value last written to the property.
        Value v;
        if (callAccessor(holder, p->name, p->getter, self, {}, v)) return v;
        const Property* stored = holder->findOwn(name);
        return stored ? stored->value : Value{};
    }
    if (name != "__resolve") {
        Object* r = ResolveHandler(*this, start);
        if (r && r->isFunction()) return call(r, self, {Value(name)});
    }
    return Value{};
}

Object* ResolveHandler(Interpreter& vm, Object* o) {
    // Values that are no object on the way (undefined, a number) are passed over; the first
    // object found is the handler, even when it cannot be called. SWF 6 and older take the
    // first `__resolve` found, by the value stored in it (a getter is not asked).
    int links = 0;
    for (Object* p = o; p && links < 256; p = p->proto(), ++links) {
        const Property* r = p->findOwn("__resolve");
        if (vm.version() <= 6 && r && !vm.isHidden(*r)) {
            Object* h = r->value.asObject();
            return h && h->kind() != Object::Kind::Clip ? h : nullptr;
        }
        // A movie clip is passed over as a primitive is.
        Object* h = r && !vm.isHidden(*r) ? r->value.asObject() : nullptr;
        if (h && h->kind() != Object::Kind::Clip) return h;
    }
    return nullptr;
}

void Interpreter::setMember(const Value& objectValue, const std::string& name, const Value& value) {
    Object* o = objectValue.asObject();
    if (o && o->kind() == Object::Kind::Clip) o = host_.liveClip(o);  // a removed clip's path
    if (!o) return;
    if (o->kind() == Object::Kind::Clip && host_.setClipProperty(o, name, value)) return;
    if (o->kind() == Object::Kind::Array) {
        // Writing `length` drops the elements past it; writing an element at or past the end
        // makes the array longer. The value itself is stored as any property's.
        if (name == "length")
            TrimArrayElements(*this, o, ToInt32(toNumber(value)));
        else if (const auto i = ParseArrayIndex(name); i && *i >= ArrayLength(*this, o))
            SetArrayLength(*this, o,
                           static_cast<std::int32_t>(static_cast<std::uint32_t>(*i) + 1u));
    }
    Value stored = value;
    std::optional<ScriptThrow> thrown;
    for (std::size_t w = 0; w + 3 <= o->watchers.size(); w += 3) {
        if (o->watchers[w].isString() &&
            (o->caseSensitive() ? o->watchers[w].asString() == name
                                : FoldCase(o->watchers[w].asString()) == FoldCase(name))) {
            // A watcher that sets what it watches re-enters itself; past the nesting limit
            // the write goes through without it, as in the player.
            // The watcher sees the value stored, without asking a getter.
            const Property* held = lookup(o, name);
            const Value old = held ? held->value : Value{};
            const Value cb = o->watchers[w + 1];
            const Value data = o->watchers[w + 2];
            const std::string key = o->watchers[w].asString();
            try {
                Value result;
                if (callAccessor(o, key, cb, o, {Value(name), old, value, data}, result))
                    stored = result;
            } catch (const ScriptThrow& t) {
                // A watcher that throws leaves undefined behind, and the throw goes on.
                thrown = t;
                stored = Value{};
            }
            break;
        }
    }
    storeMember(o, name, stored);
    if (thrown) throw *thrown;
}

void Interpreter::storeMember(Object* o, const std::string& name, const Value& stored) {
    if (Property* own = o->findOwn(name); own && !isHidden(*own)) {
        if (own->flags & kReadOnly) return;  // read-only: not even a setter is called
        if (own->getter) {
            // The value written is kept beside the accessors (a getter past the nesting limit
            // reads it).
            Value ignored;
            if (own->setter) callAccessor(o, own->name, own->setter, o, {stored}, ignored);
            if (Property* again = o->findOwn(name); again && again->getter) again->value = stored;
            return;
        }
        own->value = stored;
        own->flags &= static_cast<std::uint16_t>(~kVersionFlags);
        return;
    }
    // An accessor anywhere up the chain takes the write (plain values on the way are passed
    // over): its setter runs on the object, and without one the write is dropped.
    int links = 0;
    for (Object* holder = protoOf(o, false); holder && links < kMaxProtoLinks;
         holder = protoOf(holder, false), ++links) {
        const Property* p = holder->findOwn(name);
        if (!p || isHidden(*p) || !p->getter) continue;
        Value ignored;
        if (p->setter) callAccessor(holder, p->name, p->setter, o, {stored}, ignored);
        return;
    }
    if (Property* hidden = o->findOwn(name)) {  // hidden from this version: writing frees it
        hidden->value = stored;
        // ... except in SWF 6 a name kept for SWF 7 (flag 0x400): the value is written, the
        // name stays hidden.
        if (version() == 6 && (hidden->flags & 0x400)) return;
        hidden->flags &= static_cast<std::uint16_t>(~kVersionFlags);
        hidden->getter = hidden->setter = nullptr;
        return;
    }
    o->put(name, stored);
}

// --- conversions ---------------------------------------------------------------------------

Value Interpreter::callNamed(const Value& v, const char* name, bool& called) {
    called = false;
    Object* o = v.asObject();
    Property* p = o ? lookup(o, name) : nullptr;
    if (!p) return v;
    const Value fn = p->getter ? call(p->getter, v, {}) : p->value;
    if (!fn.asObject() || !fn.asObject()->isFunction()) return v;
    called = true;
    return call(fn, v, {});
}

Value Interpreter::toPrimitive(const Value& v) {
    Object* o = v.asObject();
    if (!o || o->kind() == Object::Kind::Clip) return v;
    const bool dateFirst = o->kind() == Object::Kind::Date && version() >= 6;
    bool called = false;
    Value r = callNamed(v, dateFirst ? "toString" : "valueOf", called);
    const bool clip = r.isObject() && r.asObject()->kind() == Object::Kind::Clip;
    if ((r.isObject() && !clip) || !called) {
        // What the first method gave is no primitive: the other one is asked.
        const bool firstCalled = called;
        const Value second = callNamed(v, dateFirst ? "valueOf" : "toString", called);
        if (called && !second.isObject()) return second;
        if (!called && !firstCalled) return Value{};  // an object with neither method
        return o->isFunction() ? "[type Function]" : "[type Object]";
    }
    return r;
}

double Interpreter::valueOfNumber(const Value& v) {
    bool called = false;
    const Value r = callNamed(v, "valueOf", called);
    if (!called) return toNumber(Value{});                        // no valueOf: counts as undefined
    if (r.isObject()) return version() < 5 ? 0.0 : std::nan("");  // SWF 4: no NaN
    return toNumber(r);
}

double Interpreter::toNumber(const Value& v) {
    if (v.isNumber()) return v.asNumber();
    if (v.isNullish()) return version() >= 7 ? std::nan("") : 0.0;
    if (v.isBool()) return v.asBool() ? 1 : 0;
    if (v.isString()) return StringToNumber(v.asString(), version());
    if (v.asObject()->kind() == Object::Kind::Clip) return version() < 5 ? 0.0 : std::nan("");
    return valueOfNumber(v);
}

std::string Interpreter::toString(const Value& v) {
    Object* o = v.asObject();
    if (!o) return PrimitiveToString(v, version());
    if (o->kind() == Object::Kind::Clip) {
        const Value path = host_.clipProperty(o, "\x01path");
        return path.isString() ? path.asString() : "";
    }
    // A String object gives its text without asking toString.
    if (o->kind() == Object::Kind::String && o->primitive.isString())
        return o->primitive.asString();
    if (o->kind() == Object::Kind::Super) {  // the parent's toString, run on `this`
        // Without a `this` there is nothing to ask: it prints as the callable it is.
        if (o->bound.empty() || o->bound[0].isUndefined()) return "[type Function]";
        const Value fn = getMember(v, "toString");
        if (fn.asObject() && fn.asObject()->isFunction()) {
            const Value s = call(fn, o->bound.empty() ? Value{} : o->bound[0], {});
            if (s.isString()) return s.asString();
        }
        return "[type Object]";
    }
    Property* p = lookup(o, "toString");
    if (p) {
        const Value fn = p->getter ? call(p->getter, v, {}) : p->value;
        if (fn.asObject() && fn.asObject()->isFunction()) {
            const Value s = call(fn, v, {});
            if (s.isString()) return s.asString();
        }
    }
    return o->isFunction() ? "[type Function]" : "[type Object]";
}

bool Interpreter::toBool(const Value& v) const {
    if (v.isBool()) return v.asBool();
    if (v.isNumber()) return v.asNumber() != 0 && !std::isnan(v.asNumber());
    if (v.isString()) {
        const int ver = version();
        if (ver >= 7) return !v.asString().empty();
        const double n = StringToNumber(v.asString(), ver);
        return n != 0 && !std::isnan(n);
    }
    return v.isObject();
}

std::string Interpreter::typeOf(const Value& v) const {
    if (v.isUndefined()) return "undefined";
    if (v.isNull()) return "null";
    if (v.isBool()) return "boolean";
    if (v.isNumber()) return "number";
    if (v.isString()) return "string";
    Object* o = v.asObject();
    if (o->isFunction()) return "function";
    if (o->kind() == Object::Kind::Clip)
        return const_cast<Interpreter*>(this)->host().clipIsButton(o) ? "object" : "movieclip";
    return "object";
}

// --- object making -------------------------------------------------------------------------

Object* Interpreter::newObject(Object* proto) {
    Object* o = heap_.make(Object::Kind::Plain);
    Object* p = proto ? proto : protos.object;
    if (p) o->put("__proto__", p, kDontEnum | kDontDelete);
    return o;
}

Object* Interpreter::newArray(std::vector<Value> elements) {
    Object* a = newObject(protos.array);
    InitArray(a, elements);
    return a;
}

// Every function carries its own `constructor`, the Function class (once there is one).
void GiveFunctionConstructor(Object* functionProto, Object* f) {
    const Property* fn = functionProto ? functionProto->findOwn("constructor") : nullptr;
    if (fn && !f->findOwn("constructor")) f->put("constructor", fn->value, kDontEnum | kDontDelete);
}

Object* Interpreter::newFunction(NativeFn fn, Object* prototype) {
    Object* f = heap_.make(Object::Kind::Function);
    f->native = fn;
    if (protos.function) f->put("__proto__", protos.function, kDontEnum | kDontDelete);
    GiveFunctionConstructor(protos.function, f);
    if (prototype) {
        f->put("prototype", prototype, kDontEnum | kDontDelete);
        prototype->put("constructor", f, kDontEnum | kDontDelete);
    }
    return f;
}

Object* Interpreter::newScriptFunction(std::unique_ptr<ScriptCode> code) {
    Object* f = heap_.make(Object::Kind::Function);
    f->script = std::move(code);
    f->put("__proto__", protos.function, kDontEnum | kDontDelete);
    GiveFunctionConstructor(protos.function, f);
    Object* prototype = newObject();
    f->put("prototype", prototype, kDontEnum | kDontDelete);
    prototype->put("constructor", f, kDontEnum | kDontDelete);
    return f;
}

Object* Interpreter::method(Object* target, const std::string& name, NativeFn fn,
                            std::uint16_t flags) {
    Object* f = newFunction(fn);
    target->put(name, f, static_cast<std::uint16_t>(kDontEnum | kDontDelete | flags));
    return f;
}

void Interpreter::runTimers(double nowMs) {
    pollSounds(nowMs);
    for (int guard = 0; guard < 64; ++guard) {
        auto due = timers.end();
        for (auto it = timers.begin(); it != timers.end(); ++it)
            if (it->due <= nowMs && (due == timers.end() || it->due < due->due)) due = it;
        if (due == timers.end()) return;
        Timer t = *due;
        if (t.repeat) {
            due->due += std::max(t.interval, 10.0);
            if (due->due <= nowMs) due->due = nowMs + std::max(t.interval, 10.0);
        } else {
            timers.erase(due);
        }
        if (halted_) return;
        try {
            if (t.method.empty())
                call(t.function, Value{}, t.args);
            else
                callMethod(t.function, t.method, t.args);
        } catch (const ScriptThrow& thrown) {
            reportUncaught(thrown);
        } catch (const ScriptHalt&) {
        }
    }
}

}  // namespace saver::swf::avm1
