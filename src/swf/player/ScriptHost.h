// ScriptHost: what the player core calls to run scripts. The script engine lives in a layer
// above the player and implements this; a player without one runs the timeline actions stop,
// play, goto, next/previous frame and goto label itself (format/FrameActions).
//
// Failure: a host never throws into the player; a script's faults end inside the host.
#pragma once

#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/SoundCommand.h"

namespace saver::swf {

class TimelineInstance;

class ScriptHost {
  public:
    virtual ~ScriptHost() = default;
    // Runs a frame's DoAction on `timeline`; `root` is the movie's root timeline.
    virtual void runActions(TimelineInstance& root, TimelineInstance& timeline,
                            const DoAction& actions) = 0;
    // Runs a DoInitAction of the root timeline (once per movie, before its frame's scripts).
    virtual void runInitActions(TimelineInstance& root, const DoInitAction& actions) = 0;
    // Called once per shown frame (the first one at load too) after its frame scripts ran: the
    // clock moves to that frame's time and due timers run. Frame actions they queue run after.
    virtual void frameShown(TimelineInstance& root) = 0;
    // Called after the frame's actions and timers are all done (garbage may be collected).
    virtual void frameDone(TimelineInstance& root) = 0;
    // The sound commands scripts queued since the last call, in order.
    virtual std::vector<SoundCommand> takeSoundCommands() { return {}; }
};

}  // namespace saver::swf
