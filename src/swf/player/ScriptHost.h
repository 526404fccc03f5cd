// ScriptHost: what the player core calls to run scripts. The script engine lives in a layer
// above the player and implements this; a player without one runs the timeline actions stop,
// play, goto, next/previous frame and goto label itself (format/FrameActions).
//
// Failure: a host never throws into the player; a script's faults end inside the host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/SoundCommand.h"

namespace saver::swf {

class TimelineInstance;

// Mouse and key input as it reaches the scripts: positions in stage pixels, key codes as the
// Key object reports them.
enum class InputKind : std::uint8_t { MouseMove, MouseDown, MouseUp, MouseWheel, KeyDown, KeyUp };
struct InputEvent {
    InputKind kind = InputKind::MouseMove;
    double x = 0, y = 0;  // mouse events
    int keyCode = 0;      // key events
    int ascii = 0;
    int wheelDelta = 0;
};

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
    // A warning of the player's log ("Failed to place object at depth 1."), without its
    // "Warning: ".
    virtual void warning(const std::string& text) { (void)text; }

    // Input, between frames. A mouse or key event for the clip events and the Key and Mouse
    // listeners.
    virtual void inputEvent(TimelineInstance& root, const InputEvent& event) {}
    // Whether a clip takes mouse events as a button does (it has onPress, onRelease, ...).
    virtual bool isButtonClip(TimelineInstance& clip) { return false; }
    // A button event (onPress, onRelease, onRollOver, ...) on a button or a clip used as one.
    virtual void buttonEvent(TimelineInstance& root, TimelineInstance& target, const char* name) {}
    // A button's condition actions (owned by the movie), run on `timeline` (its parent).
    virtual void runButtonActions(TimelineInstance& root, TimelineInstance& timeline,
                                  const std::vector<std::uint8_t>& actions) {}
    // The stage was resized to width x height pixels (Stage.onResize).
    virtual void stageResized(TimelineInstance& root, int width, int height) {}
    // Whether the movie asked for the mouse pointer to be hidden (Mouse.hide, not undone by
    // Mouse.show). The show may hide it anyway; it never shows it because of this.
    virtual bool cursorHidden() const { return false; }
    // The scale mode the player is shown with (0 show all, 1 no border, 2 exact fit, 3 no
    // scale), and the one the movie's scripts chose instead (Stage.scaleMode), if any.
    virtual void viewScaleMode(int mode) {}
    virtual std::optional<int> scriptScaleMode() const { return std::nullopt; }
    // The value of the variable `name` (a name or a path) as seen from `timeline`, as text,
    // for a text field tied to it; false when there is no such variable.
    virtual bool readVariable(TimelineInstance& timeline, const std::string& name,
                              std::string& value) {
        (void)timeline, (void)name, (void)value;
        return false;
    }
    // A clip event of `timeline` (a ClipEvent bit of format/SwfMovie.h): its onClipEvent
    // handlers for the event, then the matching script method (onLoad, onEnterFrame, ...).
    // kClipInitialize, then kClipConstruct, come once for every sprite the timeline places,
    // before any frame script of the tick: a registered class is made there. Unload comes for a
    // sprite already off the stage. Mouse and key events come from MoviePlayer::broadcastEvent.
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
    // Whether `timeline` itself has one (a clip inside it aside).
    virtual bool hasOwnUnloadHandler(TimelineInstance& timeline) {
        (void)timeline;
        return false;
    }
    // The sound commands scripts queued since the last call, in order.
    virtual std::vector<SoundCommand> takeSoundCommands() { return {}; }
};

}  // namespace saver::swf
