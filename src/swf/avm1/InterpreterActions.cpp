// The action loop: decodes the records of a block one by one and runs them. Control flow
// (Jump, If, With, Try, function bodies) works on byte offsets within the block; a jump that
// leaves the range being run hands the new offset back to the enclosing range, and one that
// leaves the block ends it.
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

// The register `reg` of a block: a function's own, or the four global ones. In movies for
// players after version 10 a register past a function's own count is the global one.
Value* Register(std::vector<Value>& own, std::vector<Value>& global, int movieVersion,
                std::size_t reg) {
    if (reg < own.size()) return &own[reg];
    if (&own == &global || movieVersion <= 10 || reg >= global.size()) return nullptr;
    return &global[reg];
}

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

void Interpreter::skipActions(Frame& f, std::size_t& pc, int count) {
    for (int i = 0; i < count; ++i) {
        const auto r = ReadAction(f.code, pc);
        if (!r || r->code == 0) return;
        pc = r->next;
    }
}

namespace {

// The frame WaitForFrame2 waits for: a whole number as it stands (wrapped to 32 bits), other
// values through their text; anything that is no whole number counts as frame 0.
std::int64_t WaitForFrameNumber(Interpreter& vm, const Value& v) {
    double n = 0;
    if (v.isNumber() && std::isfinite(v.asNumber()) && std::trunc(v.asNumber()) == v.asNumber()) {
        n = v.asNumber();
    } else {
        const std::string text = vm.toString(v);
        char* end = nullptr;
        const double parsed = text.empty() ? 0 : std::strtod(text.c_str(), &end);
        const bool whole = end && *end == 0 && !std::isspace(static_cast<unsigned char>(text[0]));
        n = whole && std::isfinite(parsed) && std::trunc(parsed) == parsed ? parsed : 0;
    }
    const std::int32_t frame = ToInt32(n);
    // The player counts frames from 1 here, and its adjustment saturates: the lowest number
    // comes out as the highest.
    return frame == INT32_MIN ? INT32_MAX : frame;
}

}  // namespace

bool Interpreter::stepLong(Frame& f, const ActionRecord& r, std::size_t& pc, Completion& out) {
    PayloadReader in(r.payload);
    switch (r.code) {
        case 0x81:
            host_.timelineGoto(f.target, in.u16(), false);
            break;
        case 0x83: {
            const std::string url = in.string();
            doGetUrl(f, url, in.string());
            break;
        }
        case 0x87: {
            const std::uint8_t reg = in.u8();
            const Value top = stack_.size() > f.stackBase ? stack_.back() : Value{};
            if (Value* slot = Register(*f.registers, globalRegisters_, movieVersion_, reg))
                *slot = top;
            break;
        }
        case 0x88: {
            const std::uint16_t n = in.u16();
            f.constants.clear();
            for (std::uint16_t i = 0; i < n && !in.atEnd(); ++i) f.constants.push_back(in.string());
            break;
        }
        case 0x8A: {
            // Every frame of a movie is loaded before it plays; only a frame past the player's
            // limit of 16000 never is.
            const std::uint16_t frame = in.u16();
            const std::uint8_t skip = in.u8();
            if (frame > 16000) skipActions(f, pc, skip);
            break;
        }
        case 0x8D: {
            const std::uint8_t skip = in.u8();
            if (WaitForFrameNumber(*this, pop()) > 16001) skipActions(f, pc, skip);
            break;
        }
        case 0x8B: {
            setTargetPath(f, Value(in.string()));
            break;
        }
        case 0x8C:
            host_.timelineGotoLabel(f.target, in.string(), false);
            break;
        case 0x8E:
            doDefineFunction(f, r, pc, true);
            break;
        case 0x9B:
            doDefineFunction(f, r, pc, false);
            break;
        case 0x8F: {
            const Completion c = doTry(f, r);
            if (c.flow == Flow::Return) {
                out = c;
                return false;
            }
            pc = c.pc;
            break;
        }
        case 0x94: {
            const Completion c = doWith(f, r);
            if (c.flow == Flow::Return) {
                out = c;
                return false;
            }
            pc = c.pc;
            break;
        }
        case 0x96:
            doPush(f, r);
            break;
        case 0x99: {
            const long target = static_cast<long>(r.next) + in.s16();
            pc = target < 0 ? f.code.size() : static_cast<std::size_t>(target);
            break;
        }
        case 0x9A: {
            in.u8();
            const std::string target = toString(pop());
            doGetUrl(f, toString(pop()), target);
            break;
        }
        case 0x9D: {
            const std::int16_t offset = in.s16();
            if (toBool(pop())) {
                const long target = static_cast<long>(r.next) + offset;
                pc = target < 0 ? f.code.size() : static_cast<std::size_t>(target);
            }
            break;
        }
        case 0x9E: {
            // Call: the named frame's actions run now, as scripts of the clip that holds them.
            const Value frame = pop();
            Object* clip = f.target;
            if (!clip) {
                bool special = false;
                clip = specialName(f, "_root", special).asObject();
            }
            Object* owner = nullptr;
            std::vector<std::span<const std::uint8_t>> blocks;
            if (clip && host_.frameScripts(clip, frame, owner, blocks))
                for (const auto& block : blocks) runCalledBlock(block, owner);
            if (host_.clipLeftStage(f.baseClip)) {
                out = {Flow::Return, f.code.size(), Value{}};  // the block ends here
                return false;
            }
            break;
        }
        case 0x9F:
            doGotoFrame2(f, r);
            break;
        default:
            break;
    }
    return true;
}

void Interpreter::doPush(Frame& f, const ActionRecord& r) {
    PayloadReader in(r.payload);
    while (!in.atEnd()) {
        const std::uint8_t type = in.u8();
        switch (type) {
            case 0:
                push(in.string());
                break;
            case 1:
                push(static_cast<double>(in.f32()));
                break;
            case 2:
                push(Null{});
                break;
            case 3:
                push(Undefined{});
                break;
            case 4: {
                const std::uint8_t reg = in.u8();
                const Value* slot = Register(*f.registers, globalRegisters_, movieVersion_, reg);
                push(slot ? *slot : Value{});
                break;
            }
            case 5:
                push(in.u8() != 0);
                break;
            case 6:
                push(in.f64());
                break;
            case 7:
                push(static_cast<double>(static_cast<std::int32_t>(in.u32())));
                break;
            case 8:
            case 9: {
                const std::size_t i = type == 8 ? in.u8() : in.u16();
                push(i < f.constants.size() ? Value(f.constants[i]) : Value{});
                break;
            }
            default:
                return;  // unknown type: the rest cannot be read
        }
        if (!in.ok()) return;
    }
}

void Interpreter::doDefineFunction(Frame& f, const ActionRecord& r, std::size_t& pc, bool v2) {
    PayloadReader in(r.payload);
    auto code = std::make_unique<ScriptCode>();
    code->name = in.string();
    const std::uint16_t params = in.u16();
    code->v2 = v2;
    if (v2) {
        code->registerCount = in.u8();
        code->flags = in.u16();
    }
    for (std::uint16_t i = 0; i < params && !in.atEnd(); ++i) {
        ScriptCode::Param p;
        if (v2) p.reg = in.u8();
        p.name = in.string();
        code->params.push_back(std::move(p));
    }
    const std::size_t size = in.u16();
    const std::size_t bodyStart = r.next;
    const std::size_t bodySize = std::min(size, f.code.size() - std::min(bodyStart, f.code.size()));
    code->code = f.code.data() + bodyStart;
    code->size = bodySize;
    code->version = f.version;
    // A function belongs to the timeline of the block that defines it: a SetTarget in force
    // there changes neither the target it runs on nor the timeline in its scope.
    code->scope = f.scope;
    if (f.baseClip && f.timelineIndex < code->scope.size() &&
        code->scope[f.timelineIndex] == f.target)
        code->scope[f.timelineIndex] = f.baseClip;
    code->constants = f.constants;
    code->target = f.baseClip ? f.baseClip : f.target;
    pc = bodyStart + bodySize;
    const std::string name = code->name;
    Object* fn = newScriptFunction(std::move(code));
    if (name.empty())
        push(fn);
    else
        defineLocal(f, name, fn, false);
}

Interpreter::Completion Interpreter::doWith(Frame& f, const ActionRecord& r) {
    PayloadReader in(r.payload);
    const std::size_t size = in.u16();
    const std::size_t start = r.next, end = std::min(start + size, f.code.size());
    const Value target = pop();
    Object* o = toObject(target);
    if (!o) return {Flow::Jump, end, {}};
    f.scope.push_back(o);
    const std::size_t depth = f.scope.size();
    Completion c;
    try {
        c = run(f, start, end);
    } catch (...) {
        f.scope.resize(depth - 1);
        throw;
    }
    f.scope.resize(depth - 1);
    return c;
}

Interpreter::Completion Interpreter::doTry(Frame& f, const ActionRecord& r) {
    PayloadReader in(r.payload);
    const std::uint8_t flags = in.u8();
    const std::size_t trySize = in.u16(), catchSize = in.u16(), finallySize = in.u16();
    std::string catchName;
    std::uint8_t catchReg = 0;
    if (flags & 4)
        catchReg = in.u8();
    else
        catchName = in.string();
    const std::size_t n = f.code.size();
    const std::size_t tryStart = std::min(r.next, n), tryEnd = std::min(tryStart + trySize, n);
    const std::size_t catchEnd = std::min(tryEnd + catchSize, n);
    const std::size_t finallyEnd = std::min(catchEnd + finallySize, n);
    const bool hasCatch = flags & 1, hasFinally = flags & 2;
    const std::size_t stackDepth = stack_.size();

    Completion c{Flow::Jump, finallyEnd, {}};
    std::optional<ScriptThrow> pending;
    try {
        c = run(f, tryStart, tryEnd);
    } catch (const ScriptThrow& t) {
        if (stack_.size() > stackDepth) stack_.resize(stackDepth);
        if (!hasCatch) {
            pending = t;
        } else {
            if (flags & 4) {
                if (catchReg < f.registers->size()) (*f.registers)[catchReg] = t.value;
            } else {
                defineLocal(f, catchName, t.value, false);
            }
            try {
                c = run(f, tryEnd, catchEnd);
            } catch (const ScriptThrow& again) {
                pending = again;
            }
        }
    }
    if (c.flow == Flow::Jump && c.pc >= tryEnd && c.pc <= finallyEnd) c.pc = finallyEnd;
    // A jump out of the try or catch code (break, continue) leaves without the finally code.
    const bool jumpedOut = c.flow == Flow::Jump && (c.pc < tryStart || c.pc > finallyEnd);
    if (hasFinally && !(jumpedOut && !pending)) {
        // Without the catch flag the finally code starts right after the try code (whatever
        // the catch size says), as the player reads it.
        const std::size_t finStart = hasCatch ? catchEnd : tryEnd;
        const std::size_t finEnd = std::min(finStart + finallySize, n);
        const Completion fin = run(f, finStart, finEnd);
        if (fin.flow == Flow::Return || fin.pc != finEnd) return fin;
    }
    if (pending) throw *pending;
    return c;
}

void Interpreter::doGotoFrame2(Frame& f, const ActionRecord& r) {
    PayloadReader in(r.payload);
    const std::uint8_t flags = in.u8();
    const int bias = (flags & 2) ? in.u16() : 0;
    const bool play = flags & 1;
    const Value frame = pop();
    Object* clip = f.target;
    if (!clip) {  // after a tellTarget that found nothing: the root
        bool special = false;
        clip = specialName(f, "_root", special).asObject();
    }
    if (clip && host_.timelineGotoValue(clip, frame, bias, play)) return;
    if (frame.isString()) {
        std::string s = frame.asString();
        const auto colon = s.find(':');
        if (colon != std::string::npos) {
            clip = targetObject(f, Value(s.substr(0, colon)));
            s = s.substr(colon + 1);
        }
        if (!clip) return;
        const double n = StringToNumber(s, 5);
        if (!std::isnan(n))
            host_.timelineGoto(clip, GotoFrameIndex(ToInt32(n), bias), play);
        else
            host_.timelineGotoLabel(clip, s, play);
        return;
    }
    host_.timelineGoto(clip, GotoFrameIndex(ToInt32(toNumber(frame)), bias), play);
}

void Interpreter::doGetUrl(Frame& f, const std::string& url, const std::string& target) {
    (void)f;
    if (url.size() >= 10 && FoldCase(url.substr(0, 10)) == "fscommand:")
        host_.fscommand(url.substr(10), target);
}

}  // namespace saver::swf::avm1
