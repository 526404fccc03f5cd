// The Sound object. A Sound belongs to a target clip (none: the global sound); volume, pan and
// transform belong to the target, so every Sound of one clip shares them, and a clip's volume
// reaches the sounds started on it and on the clips inside it (volumes multiply down the
// chain, the global one included). Playing is the sound layer's business: start, stop and
// transform changes go out as SoundCommands; position, duration and completion are reckoned
// here on the movie's clock, so scripts see the same answers with or without a sound device.
//
// A Sound object keeps in `bound`: [0] its target (a clip, undefined for global, null when the
// target given was no clip), [1] the attached DefineSound id, [2] the channel it started last.
#include <algorithm>
#include <cmath>
#include <optional>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

enum Slot { kTarget = 0, kSoundId = 1, kChannel = 2 };

// Numbers become integers as the processor truncates them: NaN and anything out of the 32-bit
// range give the smallest integer.
double ToSoundInt(double n) {
    if (!(n >= -2147483648.0 && n < 2147483648.0)) return -2147483648.0;
    return std::trunc(n);
}

// 32-bit arithmetic as the player does it, wrapping.
double Wrap32(double n) {
    return static_cast<double>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(n) & 0xFFFFFFFF)));
}

Object* SoundOf(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o || o->bound.size() < 3) return nullptr;
    return o;
}

// False when the Sound was made for something that is no clip: its methods answer undefined.
bool HasTarget(Object* sound) {
    return !sound->bound[kTarget].isNull();
}

const Object* TargetOf(Object* sound) {
    return sound->bound[kTarget].asObject();
}

double DurationMs(Interpreter& vm, std::uint16_t id) {
    if (!vm.movie) return 0;
    const auto it = vm.movie->sounds.find(id);
    if (it == vm.movie->sounds.end()) return 0;
    const double rate = it->second.format.sampleRate();
    return rate > 0 ? std::round(it->second.sampleCount / rate * 1000.0) : 0;
}

// The transform a sound started on `target` plays with: volumes multiplied from the target up
// through its parents to the global sound; the channel mix of the nearest clip that has one.
SoundTransform Effective(Interpreter& vm, const Object* target) {
    SoundTransform out;
    bool mixSet = false;
    double volume = 1;
    const Object* clip = target;
    for (int depth = 0; clip && depth < 256; ++depth) {
        const auto it = vm.clipSounds.find(clip);
        if (it != vm.clipSounds.end()) {
            volume *= it->second.transform.volume / 100;
            if (!mixSet) out = it->second.transform;
            mixSet = true;
        }
        clip = vm.host().clipProperty(const_cast<Object*>(clip), "_parent").asObject();
    }
    const auto global = vm.clipSounds.find(nullptr);
    if (global != vm.clipSounds.end()) {
        volume *= global->second.transform.volume / 100;
        if (!mixSet) out = global->second.transform;
    }
    out.volume = volume * 100;
    return out;
}

// After a change of volume, pan or transform every playing sound gets its transform again.
void Retransform(Interpreter& vm) {
    for (const Interpreter::ScriptSound& s : vm.sounds) {
        SoundCommand cmd;
        cmd.kind = SoundCommand::Kind::Transform;
        cmd.channel = s.channel;
        cmd.transform = Effective(vm, TargetOf(s.sound));
        vm.soundCommands.push_back(cmd);
    }
}

Interpreter::ClipSound& ClipSoundOf(Interpreter& vm, Object* sound) {
    return vm.clipSounds[TargetOf(sound)];
}

Value Construct(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o) return Value{};
    const Value target = c.arg(0);
    Value kept;  // undefined: the global sound
    if (!target.isUndefined()) {
        Object* clip = target.asObject();
        kept = (clip && clip->kind() == Object::Kind::Clip) ? Value(clip) : Value(Null{});
    }
    o->bound = {kept, Value{}, Value{}};
    return Value{};
}

Value AttachSound(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !c.vm.movie || c.args.empty()) return Value{};
    const auto it = c.vm.movie->exports.find(c.vm.toString(c.args[0]));
    if (it == c.vm.movie->exports.end() || !c.vm.movie->sounds.count(it->second)) return Value{};
    s->bound[kSoundId] = static_cast<double>(it->second);
    return Value{};
}

Value Start(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s) || !s->bound[kSoundId].isNumber()) return Value{};
    Interpreter& vm = c.vm;
    Interpreter::ScriptSound sound;
    sound.channel = vm.nextSoundChannel++;
    sound.sound = s;
    sound.soundId = static_cast<std::uint16_t>(s->bound[kSoundId].asNumber());
    sound.startedMs = vm.host().timerMs();
    const double offset = c.args.empty() ? 0 : vm.toNumber(c.args[0]);
    sound.offsetMs = std::isfinite(offset) && offset > 0 ? offset * 1000 : 0;
    sound.loops = c.args.size() > 1 ? std::clamp(ToInt32(vm.toNumber(c.args[1])), 1, 32767) : 1;
    sound.durationMs = DurationMs(vm, sound.soundId);
    SoundCommand cmd;
    cmd.kind = SoundCommand::Kind::Start;
    cmd.channel = sound.channel;
    cmd.soundId = sound.soundId;
    cmd.offsetSeconds = sound.offsetMs / 1000;
    cmd.loops = sound.loops;
    cmd.transform = Effective(vm, TargetOf(s));
    vm.soundCommands.push_back(cmd);
    vm.sounds.push_back(sound);
    s->bound[kChannel] = static_cast<double>(sound.channel);
    return Value{};
}

// stop(): every sound of the target (the global Sound: every sound of the movie); stop(name):
// only those of the sound linked under `name`.
Value Stop(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s)) return Value{};
    Interpreter& vm = c.vm;
    std::optional<std::uint16_t> only;
    if (!c.args.empty() && vm.movie) {
        const auto it = vm.movie->exports.find(vm.toString(c.args[0]));
        if (it == vm.movie->exports.end()) return Value{};
        only = it->second;
    }
    const Object* target = TargetOf(s);
    if (!target && !only) {
        SoundCommand all;
        all.kind = SoundCommand::Kind::StopAll;
        vm.soundCommands.push_back(all);
        vm.sounds.clear();
        return Value{};
    }
    std::erase_if(vm.sounds, [&](const Interpreter::ScriptSound& p) {
        if ((target && TargetOf(p.sound) != target) || (only && p.soundId != *only)) return false;
        SoundCommand cmd;
        cmd.kind = SoundCommand::Kind::Stop;
        cmd.channel = p.channel;
        vm.soundCommands.push_back(cmd);
        return true;
    });
    return Value{};
}

Value GetVolume(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s)) return Value{};
    return ClipSoundOf(c.vm, s).transform.volume;
}

Value SetVolume(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s)) return Value{};
    ClipSoundOf(c.vm, s).transform.volume =
        c.args.empty() ? 0 : ToSoundInt(c.vm.toNumber(c.args[0]));
    Retransform(c.vm);
    return Value{};
}

// The pan is read back from the channel mix: what the left channel lost, else minus what the
// right one lost (magnitudes, as the player reads them).
Value GetPan(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s)) return Value{};
    const SoundTransform& t = ClipSoundOf(c.vm, s).transform;
    return t.ll != 100 ? Wrap32(100 - std::fabs(t.ll)) : Wrap32(std::fabs(t.rr) - 100);
}

// A pan to the right turns the left channel down, one to the left the right channel.
Value SetPan(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s)) return Value{};
    SoundTransform& t = ClipSoundOf(c.vm, s).transform;
    const double pan = c.args.empty() ? 0 : ToSoundInt(c.vm.toNumber(c.args[0]));
    t.ll = pan > 0 ? Wrap32(100 - pan) : 100;
    t.rr = pan < 0 ? Wrap32(100 + pan) : 100;
    t.lr = t.rl = 0;
    Retransform(c.vm);
    return Value{};
}

Value GetTransform(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s)) return Value{};
    const SoundTransform& t = ClipSoundOf(c.vm, s).transform;
    Object* out = c.vm.newObject();
    out->put("ll", t.ll);
    out->put("lr", t.lr);
    out->put("rr", t.rr);
    out->put("rl", t.rl);
    return out;
}

Value SetTransform(CallInfo& c) {
    Object* s = SoundOf(c);
    Object* in = c.arg(0).asObject();
    if (!s || !HasTarget(s) || !in) return Value{};
    SoundTransform& t = ClipSoundOf(c.vm, s).transform;
    const std::pair<const char*, double*> fields[] = {
        {"ll", &t.ll}, {"lr", &t.lr}, {"rl", &t.rl}, {"rr", &t.rr}};
    // Only the object's own fields count, not inherited ones.
    for (const auto& [name, slot] : fields)
        if (in->findOwn(name)) *slot = ToInt32(c.vm.toNumber(c.vm.getMember(in, name)));
    Retransform(c.vm);
    return Value{};
}

Value GetDuration(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s) || !s->bound[kSoundId].isNumber()) return Value{};
    return DurationMs(c.vm, static_cast<std::uint16_t>(s->bound[kSoundId].asNumber()));
}

// Where the sound started last is: 0 before any start, its length once it has ended.
Value GetPosition(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !HasTarget(s) || !s->bound[kSoundId].isNumber()) return Value{};
    const double duration =
        DurationMs(c.vm, static_cast<std::uint16_t>(s->bound[kSoundId].asNumber()));
    if (!s->bound[kChannel].isNumber()) return 0;
    const auto channel = static_cast<std::uint64_t>(s->bound[kChannel].asNumber());
    for (const Interpreter::ScriptSound& p : c.vm.sounds) {
        if (p.channel != channel) continue;
        const double at = c.vm.host().timerMs() - p.startedMs + p.offsetMs;
        return duration > 0 ? std::floor(std::fmod(at, duration)) : 0.0;
    }
    return duration;
}

}  // namespace

void Interpreter::pollSounds(double nowMs) {
    std::vector<Object*> done;
    std::erase_if(sounds, [&](const ScriptSound& s) {
        if (nowMs - s.startedMs + s.offsetMs < s.durationMs * s.loops) return false;
        done.push_back(s.sound);
        return true;
    });
    for (Object* sound : done) {
        if (halted_) return;
        try {
            callMethod(sound, "onSoundComplete", {});
        } catch (const ScriptThrow&) {
        } catch (const ScriptHalt&) {
        }
    }
}

void InstallSoundBuiltins(Interpreter& vm) {
    Object* ctor = MakeClass(vm, "Sound", Construct, nullptr);
    Object* proto = vm.getMember(ctor, "prototype").asObject();
    if (!proto) return;
    const std::pair<const char*, NativeFn> methods[] = {{"attachSound", AttachSound},
                                                        {"start", Start},
                                                        {"stop", Stop},
                                                        {"getVolume", GetVolume},
                                                        {"setVolume", SetVolume},
                                                        {"getPan", GetPan},
                                                        {"setPan", SetPan},
                                                        {"getTransform", GetTransform},
                                                        {"setTransform", SetTransform},
                                                        {"getDuration", GetDuration},
                                                        {"getPosition", GetPosition}};
    for (const auto& [name, fn] : methods) vm.method(proto, name, fn);
    // duration and position read as properties too (the player of SWF 6 added them).
    const std::pair<const char*, NativeFn> getters[] = {{"duration", GetDuration},
                                                        {"position", GetPosition}};
    for (const auto& [name, fn] : getters) {
        Property& p = proto->put(name, Value{}, kDontEnum);
        p.getter = vm.newFunction(fn);
    }
}

}  // namespace saver::swf::avm1
