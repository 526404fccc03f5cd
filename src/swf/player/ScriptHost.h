// ScriptHost: what the player core calls to run scripts. The script engine lives in a layer
// above the player and implements this; a player without one runs the timeline actions stop,
// play, goto, next/previous frame and goto label itself (format/FrameActions).
//
// Failure: a host never throws into the player; a script's faults end inside the host.
#pragma once

#include "swf/format/SwfMovie.h"

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
    // A clip event of `timeline` (a ClipEvent bit of format/SwfMovie.h): its onClipEvent
    // handlers for the event, then the matching script method (onLoad, onEnterFrame, ...).
    // kClipInitialize, then kClipConstruct, come once for every sprite the timeline places,
    // before any frame script of the tick: a registered class is made there. Unload comes for a sprite already off the
    // stage. Mouse and key events come from MoviePlayer::broadcastEvent.
    virtual void clipEvent(TimelineInstance& root, TimelineInstance& timeline,
                           std::uint32_t event) {
        (void)root, (void)timeline, (void)event;
    }
    // Whether `timeline` or a clip inside it has an unload handler (it then stays on its
    // parent's list, off the stage, until the next frame).
    virtual bool hasUnloadHandler(TimelineInstance& timeline) {
        (void)timeline;
        return false;
    }
};

}  // namespace saver::swf
