// Paths are looked up on every call, as the player does: a Sound made for "_level0.mc" loses its
// clip when the clip is renamed and finds it again when the name comes back.
#include "swf/avm1/SoundTarget.h"

#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/ScriptRunner.h"

namespace saver::swf::avm1 {

namespace {

bool IsClip(Object* o) {
    return o && o->kind() == Object::Kind::Clip;
}

bool SameTimeline(const std::weak_ptr<TimelineInstance>& a,
                  const std::weak_ptr<TimelineInstance>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

// "_level0" is the root; other levels hold no movie here.
Object* Step(Interpreter& vm, Object* root, Object* at, const std::string& part) {
    if (part == "_root" || part == "_level0") return root;
    if (part.rfind("_level", 0) == 0) return nullptr;
    if (part == "..") return vm.host().clipProperty(at, "_parent").asObject();
    Object* next = vm.getMember(at, part).asObject();
    return IsClip(next) ? next : nullptr;
}

// From the clip the calling code acts on ("/..." and "_root..." from the root).
Object* ClipAtPath(Interpreter& vm, ScriptRunner& runner, const std::string& path) {
    TimelineInstance* rootTimeline = runner.rootTimeline();
    if (!rootTimeline) return nullptr;
    Object* root = runner.clipFor(*rootTimeline);
    Object* at = IsClip(vm.currentTarget()) && !path.starts_with('/') ? vm.currentTarget() : root;
    std::size_t from = 0;
    while (at && from <= path.size()) {
        std::size_t to = path.find_first_of("./", from);
        if (to == std::string::npos) to = path.size();
        if (to > from) at = Step(vm, root, at, path.substr(from, to - from));
        from = to + 1;
    }
    return at && TimelineOfValue(at) ? at : nullptr;
}

}  // namespace

SoundOwner ResolveSoundOwner(Interpreter& vm, const Value& target, Object* given) {
    if (target.isUndefined()) return {true, nullptr};
    if (auto* runner = dynamic_cast<ScriptRunner*>(&vm.host())) {
        Object* clip = ClipAtPath(vm, *runner, vm.toString(target));
        return {clip != nullptr, clip};
    }
    return {IsClip(given), IsClip(given) ? given : nullptr};
}

const Interpreter::ClipSound* FindClipSound(Interpreter& vm, Object* clip) {
    const auto it = vm.clipSounds.find(clip);
    if (it == vm.clipSounds.end()) return nullptr;
    if (clip && !SameTimeline(it->second.timeline, clip->clip)) {
        vm.clipSounds.erase(it);  // kept for an object since freed: not this clip's
        return nullptr;
    }
    return &it->second;
}

Interpreter::ClipSound& ClipSoundFor(Interpreter& vm, Object* clip) {
    if (FindClipSound(vm, clip)) return vm.clipSounds[clip];
    Interpreter::ClipSound& fresh = vm.clipSounds[clip];
    fresh = {};
    if (clip) fresh.timeline = clip->clip;
    return fresh;
}

}  // namespace saver::swf::avm1
