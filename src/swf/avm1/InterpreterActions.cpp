// The action loop: decodes the records of a block one by one and runs them (the one-byte
// actions here, those with a payload in InterpreterLongActions.cpp). Control flow (Jump, If,
// With, Try, function bodies) works on byte offsets within the block; a jump that leaves the
// range being run hands the new offset back to the enclosing range, and one that leaves the
// block ends it.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <random>

#include "swf/avm1/ActionReader.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ClipMethods.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/InterpreterFrame.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {

namespace {

const char* const kPropertyNames[] = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

std::mt19937& Random() {
    static thread_local std::mt19937 engine(0x5eed);
    return engine;
}

}  // namespace

Value Interpreter::pop() {
    const std::size_t base = frames_.empty() ? 0 : frames_.back()->stackBase;
    if (stack_.size() <= base) return Value{};
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

Interpreter::Completion Interpreter::run(Frame& f, std::size_t start, std::size_t end) {
    std::size_t pc = start;
    while (pc >= start && pc < end) {
        maybeCollect();
        checkBudget();
        const auto r = ReadAction(f.code, pc);
        if (!r || r->code == 0) return {Flow::Jump, f.code.size(), {}};
        std::size_t next = r->next;
        Completion out;
        if (!step(f, *r, next, out)) return out;
        pc = next;
    }
    return {Flow::Jump, pc, {}};
}

bool Interpreter::step(Frame& f, const ActionRecord& r, std::size_t& pc, Completion& out) {
    if (r.code >= 0x80) return stepLong(f, r, pc, out);
    if (r.code < 0x30) return stepSwf4(f, r, pc);
    return stepSwf5(f, r, pc, out);
}

bool Interpreter::stepSwf4(Frame& f, const ActionRecord& r, std::size_t& pc) {
    (void)pc;
    const int ver = f.version;
    switch (r.code) {
        case 0x04:
            host_.timelineControl(f.target, 2);
            break;
        case 0x05:
            host_.timelineControl(f.target, 3);
            break;
        case 0x06:
            host_.timelineControl(f.target, 1);
            break;
        case 0x07:
            host_.timelineControl(f.target, 0);
            break;
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D: {
            const Value bv = pop(), av = pop();
            // The player asks the left side first for Add, and for Multiply outside SWF 5 to
            // 7, and the right side first for the others (valueOf calls show the order).
            double a = 0, b = 0;
            if (r.code == 0x0A || (r.code == 0x0C && (ver <= 4 || ver >= 8))) {
                a = toNumber(av);
                b = toNumber(bv);
            } else {
                b = toNumber(bv);
                a = toNumber(av);
            }
            if (r.code == 0x0A)
                push(a + b);
            else if (r.code == 0x0B)
                push(a - b);
            else if (r.code == 0x0C)
                push(a * b);
            else if (b == 0 && ver < 5)
                push("#ERROR#");
            else if (b == 0)  // the sign of a zero divisor is ignored
                push(a == 0 || std::isnan(a) ? std::nan("") : a > 0 ? INFINITY : -INFINITY);
            else
                push(a / b);
            break;
        }
        case 0x0E: {
            const Value bv = pop(), av = pop();
            const double b = toNumber(bv), a = toNumber(av);  // the right side is asked first
            push(a == b);
            break;
        }
        case 0x0F: {
            const Value bv = pop(), av = pop();
            const double a = toNumber(av), b = toNumber(bv);
            push(a < b);
            break;
        }
        case 0x10: {
            const Value bv = pop(), av = pop();
            const bool a = toBool(av), b = toBool(bv);
            push(a && b);
            break;
        }
        case 0x11: {
            const Value bv = pop(), av = pop();
            const bool a = toBool(av), b = toBool(bv);
            push(a || b);
            break;
        }
        case 0x12:
            push(!toBool(pop()));
            break;
        case 0x13: {
            const Value bv = pop(), av = pop();
            const std::string b = toString(bv), a = toString(av);
            push(a == b);
            break;
        }
        case 0x14:
            push(static_cast<double>(StringLength(toString(pop()), ver)));
            break;
        case 0x15:
        case 0x35: {
            const double count = toNumber(pop()), index = toNumber(pop());
            const std::string s = toString(pop());
            push(StringExtract(s, ToInt32(index) - 1, ToInt32(count), r.code == 0x35 ? 6 : ver));
            break;
        }
        case 0x17:
            pop();
            break;
        case 0x18:
            push(static_cast<double>(ToInt32(toNumber(pop()))));
            break;
        case 0x1C: {
            const std::string name = toString(pop());
            push(getVariable(f, name));
            break;
        }
        case 0x1D: {
            const Value v = pop();
            const std::string name = toString(pop());
            setVariable(f, name, v);
            break;
        }
        case 0x20:
            setTargetPath(f, pop());
            break;
        case 0x21: {
            const Value bv = pop(), av = pop();
            const std::string b = toString(bv), a = toString(av);
            push(concat(a, b));
            break;
        }
        case 0x22: {
            const double index = toNumber(pop());
            Object* clip = targetObject(f, pop());
            const int i = std::isnan(index) ? -1 : ToInt32(index);
            push(clip && i >= 0 && i < 22 ? getMember(clip, kPropertyNames[i]) : Value{});
            break;
        }
        case 0x23: {
            Value v = pop();
            const double index = toNumber(pop());
            const int i = std::isnan(index) ? -1 : ToInt32(index);
            Object* clip = targetObject(f, pop());
            // The value is converted once, after the target, as the property takes it: text
            // for _name and _quality, nothing for the read-only paths, a number otherwise
            // (text given to the player's settings is read by their own rules).
            const bool setting = i >= 16 && i <= 18;
            if (i == 13 || i == 19)
                v = toString(v);
            else if (i >= 0 && i < 22 && i != 11 && i != 14 && i != 15 &&
                     !(setting && v.isString()))
                v = toNumber(v);
            if (clip && i >= 0 && i < 22) setMember(clip, kPropertyNames[i], v);
            break;
        }
        case 0x24: {
            const double depth = toNumber(pop());
            const std::string name = toString(pop());
            if (Object* clip = targetObject(f, pop()))
                host_.clipCommand(clip, "duplicateMovieClip", {name, Value(depth - 16384)});
            break;
        }
        case 0x25:
            if (Object* clip = targetObject(f, pop())) {
                host_.clipCommand(clip, "removeMovieClip", {});
                // Removing the tellTarget clip takes the target back to the script's own clip.
                if (f.target && host_.clipLeftStage(f.target)) setTargetPath(f, Value(""));
            }
            break;
        case 0x26: {
            const Value v = pop();
            // A String object traces as the text it holds, whatever its toString says.
            const Object* boxed = v.asObject();
            const bool isString =
                boxed && boxed->kind() == Object::Kind::String && boxed->primitive.isString();
            std::string text;
            try {
                text = v.isUndefined() ? "undefined"
                       : isString      ? boxed->primitive.asString()
                                       : toString(v);
            } catch (const ScriptThrow&) {
                // An object whose conversion throws is traced by its type; the throw goes on.
                host_.trace(boxed && boxed->isFunction() ? "[type Function]" : "[type Object]");
                throw;
            }
            // SWF 5 strings are bytes of the Latin-1 code page; the trace log is UTF-8. Later
            // text ends at a byte that starts no UTF-8 character (F8..FF).
            if (f.version <= 5) {
                host_.trace(Encode(Decode(text, 5), 6));
            } else {
                const auto bad = std::find_if(text.begin(), text.end(), [](char ch) {
                    return static_cast<unsigned char>(ch) >= 0xF8;
                });
                host_.trace(std::string(text.begin(), bad));
            }
            break;
        }
        case 0x27: {
            Object* clip = targetObject(f, pop());
            // Both flags count only as exactly 1 (a constraint flag of 7 leaves the four
            // bounds on the stack, unread).
            std::vector<Value> args{Value(ToInt32(toNumber(pop())) == 1)};
            if (ToInt32(toNumber(pop())) == 1) {
                const double y2 = toNumber(pop()), x2 = toNumber(pop());
                const double y1 = toNumber(pop()), x1 = toNumber(pop());
                args.insert(args.end(), {Value(x1), Value(y1), Value(x2), Value(y2)});
            }
            if (clip) host_.clipCommand(clip, "startDrag", args);
            break;
        }
        case 0x28:
            host_.clipCommand(f.target, "stopDrag", {});
            break;
        case 0x08:
        case 0x09:
            break;
        case 0x29: {
            const Value bv = pop(), av = pop();
            const std::string b = toString(bv), a = toString(av);
            push(a < b);
            break;
        }
        case 0x2A:
            throw ScriptThrow{pop()};
        case 0x2B: {
            const Value obj = pop(), ctor = pop();
            if (!obj.isObject()) toObject(obj);  // the player boxes a primitive, and drops it
            push(instanceOf(obj, ctor) ? obj : Value(Null{}));
            break;
        }
        case 0x2C: {
            Object* ctor = pop().asObject();
            const int n = std::max(0, ToInt32(toNumber(pop())));
            std::vector<Value> interfaces;
            for (int i = 0; i < n && i < 256; ++i) interfaces.push_back(pop());
            if (ctor) {
                if (Object* proto = getMember(ctor, "prototype").asObject())
                    proto->bound = interfaces;
            }
            break;
        }
        default:
            break;  // unknown: skipped
    }
    return true;
}

bool Interpreter::stepSwf5(Frame& f, const ActionRecord& r, std::size_t& pc, Completion& out) {
    (void)pc;
    const int ver = f.version;
    switch (r.code) {
        case 0x30: {
            const int max = ToInt32(toNumber(pop()));
            push(max > 0 ? static_cast<double>(Random()() % static_cast<unsigned>(max)) : 0.0);
            break;
        }
        case 0x31:  // SWF 5 strings are bytes, also to the multi-byte actions
            push(static_cast<double>(StringLength(toString(pop()), ver)));
            break;
        case 0x32:
            push(static_cast<double>(CharCode(toString(pop()), ver)));
            break;
        case 0x33:
            push(CharFromCode(ToInt32(toNumber(pop())), ver));
            break;
        case 0x34:
            push(std::floor(host_.timerMs()));
            break;
        case 0x35:
            return stepSwf4(f, r, pc);
        case 0x36:
            push(static_cast<double>(CharCode(toString(pop()), ver)));
            break;
        case 0x37:
            push(MbCharFromCode(ToInt32(toNumber(pop())), ver));
            break;
        case 0x3A: {
            const std::string name = toString(pop());
            Object* o = pop().asObject();
            push(o ? o->remove(name) : false);
            break;
        }
        case 0x3B:
            push(deletePath(f, toString(pop())));
            break;
        case 0x3C: {
            const Value v = pop();
            defineLocal(f, toString(pop()), v, false);
            break;
        }
        case 0x3D:
            doCallFunction(f);
            if (host_.clipLeftStage(f.baseClip)) {
                out = {Flow::Return, f.code.size(), Value{}};  // the block ends here
                return false;
            }
            break;
        case 0x3E:
            out = {Flow::Return, f.code.size(), pop()};
            return false;
        case 0x3F: {
            const Value bv = pop(), av = pop();
            const double b = toNumber(bv), a = toNumber(av);  // the right side is asked first
            push(std::fmod(a, b));
            break;
        }
        case 0x40:
            doNew(f, false);
            if (host_.clipLeftStage(f.baseClip)) {
                out = {Flow::Return, f.code.size(), Value{}};  // the block ends here
                return false;
            }
            break;
        case 0x41:
            defineLocal(f, toString(pop()), Value{}, true);
            break;
        case 0x42: {
            // A count out of range takes nothing from the stack and makes nothing.
            const double count = toNumber(pop());
            if (count < 0 || count > 2147483647.0) {
                push(Value{});
                break;
            }
            const int n = std::isnan(count) ? 0 : static_cast<int>(count);
            std::vector<Value> items;
            for (int i = 0; i < n && i < 1 << 20 && stack_.size() > f.stackBase; ++i)
                items.push_back(pop());
            chargeElements(items.size());
            Object* array = newArray(std::move(items));
            // A literal is made by whatever `_global.Array` is now, and gets its own
            // `constructor` as `new` gives one; with Array deleted it has no prototype at all.
            const Property* c = global_->findOwn("Array");
            Object* ctor = c ? c->value.asObject() : nullptr;
            if (ctor) array->put("constructor", ctor, kDontEnum);
            if (Property* link = array->findOwn("__proto__")) {
                Object* proto = ctor ? getMember(ctor, "prototype").asObject() : nullptr;
                if (proto || !ctor) link->value = proto ? Value(proto) : Value{};
            }
            push(array);
            break;
        }
        case 0x43: {
            const double count = toNumber(pop());
            if (count < 0 || count > 2147483647.0) {
                push(Value{});
                break;
            }
            const int n = std::isnan(count) ? 0 : static_cast<int>(count);
            Object* o = newObject();
            if (const Property* c = protos.object->findOwn("constructor"))
                o->put("constructor", c->value, kDontEnum);
            for (int i = 0; i < n && i < 1 << 20 && stack_.size() > f.stackBase; ++i) {
                const Value v = pop();
                setMember(o, toString(pop()), v);
            }
            push(o);
            break;
        }
        case 0x44:
            push(typeOf(pop()));
            break;
        case 0x45: {
            const Value v = pop();
            Object* o = v.asObject();
            const bool display = o && (o->kind() == Object::Kind::Clip || !o->textField.expired());
            push(display ? host_.clipProperty(o, "\x01path") : Value{});
            break;
        }
        case 0x46:
            doEnumerate(f, getVariable(f, toString(pop())));
            break;
        case 0x47: {
            const Value b = pop(), a = pop();
            push(add2(a, b));
            break;
        }
        case 0x48: {
            const Value b = pop(), a = pop();
            push(less2(a, b));
            break;
        }
        case 0x49: {
            const Value b = pop(), a = pop();
            push(equals2(a, b));
            break;
        }
        case 0x4A:
            push(toNumber(pop()));
            break;
        case 0x4B:
            push(toString(pop()));
            break;
        case 0x4C: {
            const Value v = pop();
            push(v);
            push(v);
            break;
        }
        case 0x4D: {
            const Value b = pop(), a = pop();
            push(b);
            push(a);
            break;
        }
        case 0x4E: {
            const std::string name = toString(pop());
            const Value o = pop();
            push(getMember(o, name));
            break;
        }
        case 0x4F: {
            const Value v = pop();
            const std::string name = toString(pop());
            setMember(pop(), name, v);
            break;
        }
        case 0x50:
            push(toNumber(pop()) + 1);
            break;
        case 0x51:
            push(toNumber(pop()) - 1);
            break;
        case 0x52:
        case 0x53: {
            // A call on undefined or null calls nothing, and so cannot take the clip away.
            const bool onObject = stack_.size() >= 2 && !stack_[stack_.size() - 2].isUndefined() &&
                                  !stack_[stack_.size() - 2].isNull();
            if (r.code == 0x52)
                doCallMethod(f);
            else
                doNew(f, true);
            if (onObject && host_.clipLeftStage(f.baseClip)) {
                out = {Flow::Return, f.code.size(), Value{}};  // the block ends here
                return false;
            }
            break;
        }
        case 0x54: {
            const Value ctor = pop();
            const Value v = pop();
            push(instanceOf(v, ctor));
            break;
        }
        case 0x55:
            doEnumerate(f, pop());
            break;
        case 0x60:
        case 0x61:
        case 0x62:
        case 0x63:
        case 0x64:
        case 0x65: {
            const Value bv = pop(), av = pop();
            // Shifts convert their count first (its valueOf runs before the value's).
            const bool shift = r.code >= 0x63;
            const std::int32_t b0 = shift ? ToInt32(toNumber(bv)) : 0;
            const std::int32_t a = ToInt32(toNumber(av));
            const std::int32_t b = shift ? b0 : ToInt32(toNumber(bv));
            const int s = b & 31;
            double v = 0;
            if (r.code == 0x60)
                v = a & b;
            else if (r.code == 0x61)
                v = a | b;
            else if (r.code == 0x62)
                v = a ^ b;
            else if (r.code == 0x63)
                v = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << s);
            else if (r.code == 0x64)
                v = a >> s;
            else {
                // Up to SWF 9 the result is read back as a signed number: only a shift by 0
                // (mod 32) shows it, giving the value unchanged.
                const std::uint32_t u = static_cast<std::uint32_t>(a) >> s;
                v = ver >= 10 ? static_cast<double>(u)
                              : static_cast<double>(static_cast<std::int32_t>(u));
            }
            push(v);
            break;
        }
        case 0x66: {
            const Value b = pop(), a = pop();
            // Two NaNs are the same value only when one is a copy of the other, as for ==.
            const bool nans = a.isNumber() && b.isNumber() && std::isnan(a.asNumber()) &&
                              std::isnan(b.asNumber());
            const bool objects = a.isObject() && b.isObject() && version() >= 6;
            push(nans      ? a.sameNaN(b)
                 : objects ? sameObject(a.asObject(), b.asObject())
                           : a.sameAs(b));
            break;
        }
        case 0x67: {
            const Value b = pop(), a = pop();
            push(less2(b, a));
            break;
        }
        case 0x68: {
            const Value bv = pop(), av = pop();
            const std::string a = toString(av), b = toString(bv);
            push(a > b);
            break;
        }
        case 0x69:
            doExtends();
            break;
        default:
            break;
    }
    return true;
}

}  // namespace saver::swf::avm1
