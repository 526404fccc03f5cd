// The actions with a payload (the long records: push, jumps, function definitions, with, try,
// goto and URL actions) and skipping actions after a failed WaitForFrame.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "swf/avm1/ActionReader.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ClipMethods.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/InterpreterFrame.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {

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
            if (Value* slot = RegisterSlot(*f.registers, globalRegisters_, movieVersion_, reg))
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
                const Value* slot =
                    RegisterSlot(*f.registers, globalRegisters_, movieVersion_, reg);
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
