// Clips are keyed by address and hold a weak reference: an entry whose clip is gone (its
// address perhaps reused by a new clip) is dropped when met.
#include "swf/audio/ClipMixes.h"

namespace saver::swf {

bool ClipMixes::take(const SoundCommand& command) {
    if (command.kind == SoundCommand::Kind::GlobalTransform) {
        global_ = std::make_unique<SoundTransform>(command.transform);
        return true;
    }
    if (command.kind != SoundCommand::Kind::ClipTransform) return false;
    const auto clip = command.clip.lock();
    if (!clip) return true;
    std::erase_if(clips_, [](const auto& kv) { return kv.second.clip.expired(); });
    clips_[clip.get()] = Own{clip, command.transform};
    return true;
}

const ClipMixes::Own* ClipMixes::find(const TimelineInstance* clip) const {
    const auto it = clips_.find(clip);
    if (it == clips_.end()) return nullptr;
    const auto alive = it->second.clip.lock();
    return alive.get() == clip ? &it->second : nullptr;
}

SoundTransform ClipMixes::effective(const TimelineInstance* clip) const {
    auto own = [this](const TimelineInstance* c) -> const SoundTransform* {
        const Own* mine = find(c);
        return mine ? &mine->transform : nullptr;
    };
    std::shared_ptr<const TimelineInstance> hold;  // keeps the parent met last alive
    auto parent = [&hold](const TimelineInstance* c) {
        hold = c->parent();
        return hold.get();
    };
    return ChainedTransform(clip, own, parent, global_.get());
}

}  // namespace saver::swf
