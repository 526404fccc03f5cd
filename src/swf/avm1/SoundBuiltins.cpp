// The Sound object. A Sound belongs to a target: none (undefined or null given) is the global
// sound; anything else is turned into text once, when the Sound is made, and that path is
// looked up again at every call, so a Sound follows a clip that is renamed away (its methods
// then do nothing and its getters answer undefined) and back, and one made for a clip that is
// replaced by another of the same name serves the new clip. Volume, pan and transform belong
// to the target, so every Sound of one clip shares them, and a clip's volume reaches the
// sounds started on it and on the clips inside it (volumes multiply down the chain, the
// global one included). A Sound that loaded (or tried to load) a file has a mix of its own.
//
// Playing is the sound layer's business: start, stop and transform changes go out as
// SoundCommands; position, duration and completion are reckoned here on the movie's clock, so
// scripts see the same answers with or without a sound device.
#include <algorithm>
#include <cmath>
#include <optional>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"
#include "swf/avm1/SoundTarget.h"

namespace saver::swf::avm1 {

namespace {

// A Sound object keeps in `bound`: its target path (undefined: the global sound), the attached
// DefineSound id, the channel it started last, the clip object it was made for (hosts that
// cannot look paths up), and whether it has a mix of its own followed by that mix.
enum Slot { kTarget = 0, kSoundId, kChannel, kClip, kOwnMix, kLL, kLR, kRL, kRR, kVolume, kSlots };

// Numbers become integers as the processor truncates them: NaN and anything out of the 32-bit
// range give the smallest integer. Content of SWF 8 and older sees ECMA's conversion (NaN and
// infinities to 0, others wrapped).
double ToSoundInt(Interpreter& vm, const Value& v) {
    const double n = vm.toNumber(v);
    if (vm.version() <= 8) return ToInt32(n);
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
    if (!o || o->bound.size() < kSlots) return nullptr;
    return o;
}

SoundOwner OwnerOf(CallInfo& c, Object* sound) {
    return ResolveSoundOwner(c.vm, sound->bound[kTarget], sound->bound[kClip].asObject());
}

bool HasOwnMix(Object* sound) {
    return sound->bound[kOwnMix].isBool() && sound->bound[kOwnMix].asBool();
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
SoundTransform Effective(Interpreter& vm, Object* target) {
    auto own = [&vm](Object* clip) -> const SoundTransform* {
        const Interpreter::ClipSound* sound = FindClipSound(vm, clip);
        return sound ? &sound->transform : nullptr;
    };
    auto parent = [&vm](Object* clip) {
        return vm.host().clipProperty(clip, "_parent").asObject();
    };
    const auto global = vm.clipSounds.find(nullptr);
    return ChainedTransform(target, own, parent,
                            global != vm.clipSounds.end() ? &global->second.transform : nullptr);
}

// After a change of volume, pan or transform every playing sound gets its transform again, and
// the sound layer learns the target's own transform for the sounds its frames start.
void Retransform(Interpreter& vm, const SoundOwner& owner, const SoundTransform& own) {
    SoundCommand changed;
    changed.kind =
        owner.clip ? SoundCommand::Kind::ClipTransform : SoundCommand::Kind::GlobalTransform;
    changed.transform = own;
    if (owner.clip) changed.clip = owner.clip->clip;
    if (!owner.clip || !owner.clip->clip.expired()) vm.soundCommands.push_back(changed);
    for (const Interpreter::ScriptSound& s : vm.sounds) {
        SoundCommand cmd;
        cmd.kind = SoundCommand::Kind::Transform;
        cmd.channel = s.channel;
        cmd.transform = Effective(vm, s.owner);
        vm.soundCommands.push_back(cmd);
    }
}

// The mix a Sound reads and writes: its own after a load, else its target's; none when the
// target cannot be found.
std::optional<SoundTransform> ReadMix(CallInfo& c, Object* s) {
    if (HasOwnMix(s))
        return SoundTransform{s->bound[kLL].asNumber(), s->bound[kLR].asNumber(),
                              s->bound[kRL].asNumber(), s->bound[kRR].asNumber(),
                              s->bound[kVolume].asNumber()};
    const SoundOwner owner = OwnerOf(c, s);
    if (!owner.valid) return std::nullopt;
    const Interpreter::ClipSound* own = FindClipSound(c.vm, owner.clip);
    return own ? own->transform : SoundTransform{};
}

void WriteMix(CallInfo& c, Object* s, const SoundTransform& t) {
    if (HasOwnMix(s)) {
        s->bound[kLL] = t.ll, s->bound[kLR] = t.lr, s->bound[kRL] = t.rl, s->bound[kRR] = t.rr;
        s->bound[kVolume] = t.volume;
        return;
    }
    const SoundOwner owner = OwnerOf(c, s);
    if (!owner.valid) return;
    ClipSoundFor(c.vm, owner.clip).transform = t;
    Retransform(c.vm, owner, t);
}

// duration and position become properties of a Sound once it has a sound, unless the object
// or its prototypes already have them.
void AddTimeProperties(CallInfo& c, Object* s, NativeFn duration, NativeFn position) {
    const std::pair<const char*, NativeFn> getters[] = {{"duration", duration},
                                                        {"position", position}};
    if (c.vm.hasProperty(s, "duration") && c.vm.hasProperty(s, "position")) return;
    for (const auto& [name, fn] : getters) {
        Property& p = s->put(name, Value{}, kDontEnum | kDontDelete);
        p.getter = c.vm.newFunction(fn);
    }
}

Value Construct(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (!o) return Value{};
    const Value target = c.arg(0);
    o->bound.assign(kSlots, Value{});
    if (target.isUndefined() || target.isNull()) return Value{};
    Object* clip = target.asObject();
    if (clip && clip->kind() == Object::Kind::Clip) o->bound[kClip] = clip;
    o->bound[kTarget] = c.vm.toString(target);
    return Value{};
}

Value GetDuration(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !s->bound[kSoundId].isNumber() || !OwnerOf(c, s).valid) return Value{};
    return DurationMs(c.vm, static_cast<std::uint16_t>(s->bound[kSoundId].asNumber()));
}

// Where the sound started last is: 0 before any start, its length once it has ended.
Value GetPosition(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !s->bound[kSoundId].isNumber() || !OwnerOf(c, s).valid) return Value{};
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

Value AttachSound(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !c.vm.movie || c.args.empty() || !OwnerOf(c, s).valid) return Value{};
    const auto it = c.vm.movie->exports.find(c.vm.toString(c.args[0]));
    if (it == c.vm.movie->exports.end() || !c.vm.movie->sounds.count(it->second)) return Value{};
    s->bound[kSoundId] = static_cast<double>(it->second);
    s->bound[kOwnMix] = Value{};
    AddTimeProperties(c, s, GetDuration, GetPosition);
    return Value{};
}

// Answers a load on the next timer pass: nothing is fetched, so the load fails as the player
// reports a missing file, `onLoad(false)`.
Value AnswerLoad(CallInfo& c) {
    if (!c.callee || c.callee->bound.empty()) return Value{};
    c.vm.callMethod(c.callee->bound[0], "onLoad", {false});
    return Value{};
}

// loadSound(url, streaming): the Sound drops what it had attached and gets a mix of its own.
Value LoadSound(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || c.args.empty() || !OwnerOf(c, s).valid) return Value{};
    c.vm.toString(c.args[0]);
    s->bound[kSoundId] = Value{};
    s->bound[kChannel] = Value{};
    s->bound[kOwnMix] = true;
    const SoundTransform identity;
    WriteMix(c, s, identity);
    Object* answer = c.vm.newFunction(AnswerLoad);
    answer->bound = {s};
    CallOnNextTimerPass(c.vm, answer);
    return Value{};
}

Value Start(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s || !s->bound[kSoundId].isNumber()) return Value{};
    const SoundOwner owner = OwnerOf(c, s);
    if (!owner.valid) return Value{};
    Interpreter& vm = c.vm;
    Interpreter::ScriptSound sound;
    sound.channel = vm.nextSoundChannel++;
    sound.sound = s;
    sound.owner = owner.clip;
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
    cmd.transform = Effective(vm, owner.clip);
    vm.soundCommands.push_back(cmd);
    vm.sounds.push_back(sound);
    s->bound[kChannel] = static_cast<double>(sound.channel);
    return Value{};
}

// stop(): every sound of the target, its frames' sounds included (the global Sound: every sound
// of the movie); stop(name): only the script sounds of the sound linked under `name`.
Value Stop(CallInfo& c) {
    Object* s = SoundOf(c);
    if (!s) return Value{};
    const SoundOwner owner = OwnerOf(c, s);
    if (!owner.valid) return Value{};
    Interpreter& vm = c.vm;
    std::optional<std::uint16_t> only;
    if (!c.args.empty() && vm.movie) {
        const auto it = vm.movie->exports.find(vm.toString(c.args[0]));
        if (it == vm.movie->exports.end()) return Value{};
        only = it->second;
    }
    if (!owner.clip && !only) {
        SoundCommand all;
        all.kind = SoundCommand::Kind::StopAll;
        vm.soundCommands.push_back(all);
        vm.sounds.clear();
        return Value{};
    }
    if (owner.clip && !only && !owner.clip->clip.expired()) {
        SoundCommand frames;
        frames.kind = SoundCommand::Kind::StopClip;
        frames.clip = owner.clip->clip;
        vm.soundCommands.push_back(frames);
    }
    std::erase_if(vm.sounds, [&](const Interpreter::ScriptSound& p) {
        if ((owner.clip && p.owner != owner.clip) || (only && p.soundId != *only)) return false;
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
    const auto t = s ? ReadMix(c, s) : std::nullopt;
    return t ? Value(t->volume) : Value{};
}

Value SetVolume(CallInfo& c) {
    Object* s = SoundOf(c);
    auto t = s ? ReadMix(c, s) : std::nullopt;
    if (!t) return Value{};
    t->volume = c.args.empty() ? 0 : ToSoundInt(c.vm, c.args[0]);
    WriteMix(c, s, *t);
    return Value{};
}

// The pan is read back from the channel mix: what the left channel lost, else minus what the
// right one lost (magnitudes, as the player reads them).
Value GetPan(CallInfo& c) {
    Object* s = SoundOf(c);
    const auto t = s ? ReadMix(c, s) : std::nullopt;
    if (!t) return Value{};
    return t->ll != 100 ? Wrap32(100 - std::fabs(t->ll)) : Wrap32(std::fabs(t->rr) - 100);
}

// A pan to the right turns the left channel down, one to the left the right channel.
Value SetPan(CallInfo& c) {
    Object* s = SoundOf(c);
    auto t = s ? ReadMix(c, s) : std::nullopt;
    if (!t) return Value{};
    const double pan = c.args.empty() ? 0 : ToSoundInt(c.vm, c.args[0]);
    t->ll = pan > 0 ? Wrap32(100 - pan) : 100;
    t->rr = pan < 0 ? Wrap32(100 + pan) : 100;
    t->lr = t->rl = 0;
    WriteMix(c, s, *t);
    return Value{};
}

Value GetTransform(CallInfo& c) {
    Object* s = SoundOf(c);
    const auto t = s ? ReadMix(c, s) : std::nullopt;
    if (!t) return Value{};
    Object* out = c.vm.newObject();
    out->put("ll", t->ll);
    out->put("lr", t->lr);
    out->put("rr", t->rr);
    out->put("rl", t->rl);
    return out;
}

// Only the object's own fields count, not inherited ones; one that is a getter pair is taken
// as 0 without calling it.
Value SetTransform(CallInfo& c) {
    Object* s = SoundOf(c);
    Object* in = c.arg(0).asObject();
    auto t = s && in ? ReadMix(c, s) : std::nullopt;
    if (!t) return Value{};
    const std::pair<const char*, double*> fields[] = {
        {"ll", &t->ll}, {"lr", &t->lr}, {"rr", &t->rr}, {"rl", &t->rl}};
    for (const auto& [name, slot] : fields) {
        const Property* p = in->findOwn(name);
        if (!p || !p->live) continue;
        *slot = p->getter ? 0 : ToInt32(c.vm.toNumber(p->value));
    }
    WriteMix(c, s, *t);
    return Value{};
}

Value Nothing(CallInfo&) {
    return Value{};
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
        } catch (const ScriptThrow& t) {
            reportUncaught(t);
        } catch (const ScriptHalt&) {
        }
    }
}

void InstallSoundBuiltins(Interpreter& vm) {
    Object* ctor = MakeClass(vm, "Sound", Construct, nullptr);
    Object* proto = vm.getMember(ctor, "prototype").asObject();
    if (!proto) return;
    // The methods the player of SWF 6 added are hidden from older content.
    constexpr std::uint16_t kSwf6 = 0x80;
    const std::tuple<const char*, NativeFn, std::uint16_t> methods[] = {
        {"getPan", GetPan, 0},
        {"getTransform", GetTransform, 0},
        {"getVolume", GetVolume, 0},
        {"setPan", SetPan, 0},
        {"setTransform", SetTransform, 0},
        {"setVolume", SetVolume, 0},
        {"stop", Stop, 0},
        {"attachSound", AttachSound, 0},
        {"start", Start, 0},
        {"getDuration", GetDuration, kSwf6},
        {"setDuration", Nothing, kSwf6},
        {"getPosition", GetPosition, kSwf6},
        {"setPosition", Nothing, kSwf6},
        {"loadSound", LoadSound, kSwf6},
        {"getBytesLoaded", Nothing, kSwf6},
        {"getBytesTotal", Nothing, kSwf6}};
    for (const auto& [name, fn, flags] : methods)
        vm.method(proto, name, fn, static_cast<std::uint16_t>(kReadOnly | flags));
}

}  // namespace saver::swf::avm1
