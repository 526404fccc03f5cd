// Where a Sound object's volume, pan and transform live: the clip its target path names now, or
// the movie's global sound, and the clip's own transform kept by the interpreter.
#pragma once

#include <string>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

struct SoundOwner {
    bool valid = false;      // false: the target names nothing now
    Object* clip = nullptr;  // null (and valid): the global sound
};

// `target` undefined: the global sound. Otherwise the path (text) is looked up from the clip
// the calling code acts on ("a.b", "_parent.a", "../a") or from the root ("_level0.a.b",
// "_root.a", "/a/b"); a host that cannot look paths
// up uses `given`, the clip object the Sound was made for. Failure: `valid` false.
SoundOwner ResolveSoundOwner(Interpreter& vm, const Value& target, Object* given);

// The clip's own sound transform (null `clip`: the global one); null when none was set, or when
// the one kept belongs to a clip that is gone.
const Interpreter::ClipSound* FindClipSound(Interpreter& vm, Object* clip);
// The same, made (as the identity) when missing.
Interpreter::ClipSound& ClipSoundFor(Interpreter& vm, Object* clip);

}  // namespace saver::swf::avm1
