// MovieClipLoader: loads movies and images into clips for scripts, and tells its listeners
// how each load went. The built-in player loads nothing into a clip (see the folder's
// README), so a load that names a target is accepted (true) and fails on the next timer pass
// as a missing file does: the listeners hear onLoadError(target, "URLNotFound"). A loader is
// an AsBroadcaster that listens to itself, as the player's own loader does.
#include "swf/avm1/Builtins.h"
#include "swf/avm1/NextTimerPass.h"

namespace saver::swf::avm1 {

namespace {

Value MovieClipLoaderCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self) return Value{};
    InitializeBroadcaster(c.vm, self);
    for (const char* name : {"_listeners", "addListener", "removeListener", "broadcastMessage"})
        if (Property* p = self->findOwn(name)) p->flags |= kDontEnum;
    c.vm.callMethod(Value(self), "addListener", {Value(self)});
    return Value{};
}

// The answer to a load: bound to the loader and the target it was given.
Value AnswerLoadError(CallInfo& c) {
    if (!c.callee || c.callee->bound.size() < 2) return Value{};
    const Value loader = c.callee->bound[0];
    c.vm.callMethod(loader, "broadcastMessage",
                    {std::string("onLoadError"), c.callee->bound[1], std::string("URLNotFound")});
    return Value{};
}

bool IsClip(Object* o) {
    return o && o->kind() == Object::Kind::Clip;
}

// The clip a target names: a clip itself, a level number (only level 0 holds a movie) or a
// dotted path from the calling code's clip ("_root" and "_level0" start at the root); null
// when there is none.
Object* TargetClip(CallInfo& c, const Value& target) {
    if (Object* o = target.asObject()) return IsClip(o) ? c.vm.host().liveClip(o) : nullptr;
    Object* from = c.vm.currentTarget();
    Object* root = IsClip(from) ? c.vm.host().clipProperty(from, "_root").asObject() : nullptr;
    if (!root || target.isNullish()) return nullptr;
    if (target.isNumber()) return c.vm.toNumber(target) == 0 ? root : nullptr;
    const std::string path = c.vm.toString(target);
    Object* at = from;
    for (std::size_t start = 0; at && start <= path.size();) {
        std::size_t end = path.find('.', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "_root" || part == "_level0")
            at = root;
        else
            at = part.empty() ? nullptr : c.vm.getMember(Value(at), part).asObject();
        if (!IsClip(at)) return nullptr;
        start = end + 1;
    }
    return at;
}

Value LoadClip(CallInfo& c) {
    if (c.args.size() < 2 || !c.thisValue.isObject()) return false;
    Object* target = TargetClip(c, c.args[1]);
    if (!target) return false;
    Object* answer = c.vm.newFunction(AnswerLoadError);
    answer->bound = {c.thisValue, Value(target)};
    CallOnNextTimerPass(c.vm, answer);
    return true;
}

Value UnloadClip(CallInfo& c) {
    return c.args.empty() ? Value(false) : Value(TargetClip(c, c.args[0]) != nullptr);
}

// Nothing is ever loaded: a clip's progress is what its own movie holds.
Value GetProgress(CallInfo& c) {
    Object* target = c.args.empty() ? nullptr : TargetClip(c, c.args[0]);
    if (!target) return Value{};
    Object* progress = c.vm.newObject();
    progress->put("bytesLoaded", c.vm.callMethod(Value(target), "getBytesLoaded", {}));
    progress->put("bytesTotal", c.vm.callMethod(Value(target), "getBytesTotal", {}));
    return progress;
}

}  // namespace

void InstallMovieClipLoaderBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "MovieClipLoader", MovieClipLoaderCtor, proto);
    constexpr std::uint16_t kSince7 = 0x400;  // the class came with the player of SWF 7
    vm.method(proto, "loadClip", LoadClip, kSince7);
    vm.method(proto, "unloadClip", UnloadClip, kSince7);
    vm.method(proto, "getProgress", GetProgress, kSince7);
}

}  // namespace saver::swf::avm1
