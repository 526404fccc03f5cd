// ClipMixes: the sound transforms scripts gave clips (a Sound object's volume, pan and
// transform) and the movie's global one, as the sound layer needs them for the sounds a clip's
// frames start: the volumes of the clip, of every clip above it and of the movie multiply; the
// channel mix is the nearest one set (the clip's own, else a parent's, else the movie's).
//
// Failure: none; a clip that is gone simply no longer counts.
#pragma once

#include <map>
#include <memory>

#include "swf/player/SoundCommand.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

class ClipMixes {
  public:
    // Takes a ClipTransform or GlobalTransform command; false for any other kind.
    bool take(const SoundCommand& command);
    // What a sound started on `clip` (null: on no clip) plays with.
    SoundTransform effective(const TimelineInstance* clip) const;
    bool empty() const { return clips_.empty() && !global_; }

  private:
    struct Own {
        std::weak_ptr<const TimelineInstance> clip;
        SoundTransform transform;
    };
    const Own* find(const TimelineInstance* clip) const;

    std::map<const TimelineInstance*, Own> clips_;
    std::unique_ptr<SoundTransform> global_;
};

}  // namespace saver::swf
