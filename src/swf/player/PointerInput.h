// PointerInput: the mouse over the movie's buttons. It finds what lies under the pointer
// (the topmost button by its hit state's shapes, or a clip used as a button by the shapes it
// draws), keeps the press, and turns moves, presses and releases into the transitions Flash
// defines (roll over/out, press, release, release outside, drag over/out): the button shows its
// up, over or down state (a clip used as one goes to its `_up`, `_over`, `_down` frame labels
// when it has them), its condition actions run on its parent timeline and the script host
// hears the event (onRollOver, onPress, ...).
//
// Positions are stage twips. Failure: none; a target that leaves the stage is forgotten.
#pragma once

#include <cstdint>
#include <memory>

#include "swf/player/ScriptHost.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

// BUTTONCONDACTION transition flags.
enum ButtonCondition : std::uint16_t {
    kIdleToOverUp = 0x0001,
    kOverUpToIdle = 0x0002,
    kOverUpToOverDown = 0x0004,
    kOverDownToOverUp = 0x0008,
    kOverDownToOutDown = 0x0010,
    kOutDownToOverDown = 0x0020,
    kOutDownToIdle = 0x0040,
};

class PointerInput {
  public:
    // `scripts` may be null: button actions then run as timeline actions.
    PointerInput(PlayerContext& context, ScriptHost* scripts)
        : context_(context), scripts_(scripts) {}

    void move(TimelineInstance& root, double x, double y);
    void press(TimelineInstance& root);
    void release(TimelineInstance& root);
    // A key pressed: the actions of every button on stage whose key condition names it (the
    // key code of BUTTONCONDACTION: the character, or Flash's codes for the special keys).
    void keyPress(TimelineInstance& root, int keyCode, int ascii);

    // The button or clip under the pointer now (null when none).
    std::shared_ptr<TimelineInstance> hovered() const { return hover_.instance.lock(); }

  private:
    struct Target {
        std::weak_ptr<TimelineInstance> instance;
        const Button* button = nullptr;  // null: a clip used as a button
        std::weak_ptr<TimelineInstance> parent;
        bool operator==(const Target& o) const { return instance.lock() == o.instance.lock(); }
    };
    enum class Look { Up, Over, Down };

    Target pick(TimelineInstance& root) const;
    bool pickIn(TimelineInstance& timeline, const Matrix& matrix, int nesting, Target& out) const;
    bool hitButton(const Button& button, const Matrix& matrix) const;
    bool hitClip(const TimelineInstance& clip, const Matrix& matrix) const;
    void transition(TimelineInstance& root, const Target& target, std::uint16_t condition,
                    const char* event, Look look);
    void runActions(TimelineInstance& root, TimelineInstance& parent,
                    const std::vector<std::uint8_t>& bytes);
    void keyPressIn(TimelineInstance& root, TimelineInstance& timeline, int code, int nesting);

    PlayerContext& context_;
    ScriptHost* scripts_;
    double x_ = -1e9, y_ = -1e9;
    Target hover_;
    Target pressed_;
    bool down_ = false;
    bool pressedOver_ = false;
};

}  // namespace saver::swf
