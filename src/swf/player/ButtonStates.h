// ButtonStates: the up state of each button character as a one-frame timeline, made on first
// use and kept for the player's lifetime, so that a placed button runs as a timeline instance
// of its own: its up-state records are placed at their depths with their matrices, colour
// transforms and blend modes, sprites among them play, and the display list draws and clips
// them like any other children.
//
// Failure: none; a button without up-state records shows nothing.
#pragma once

#include <cstdint>
#include <map>

#include "swf/format/SwfMovie.h"

namespace saver::swf {

class ButtonStates {
  public:
    // The timeline stays valid as long as this object.
    const Timeline& upState(const Button& button);
    // The up, over and down states as frames 0, 1 and 2 of one timeline: a placed button runs
    // it stopped and goes to the frame of the state the mouse puts it in. A child shown in two
    // states alike (same character at the same depth) stays on across the change.
    const Timeline& stateTimeline(const Button& button);

    static constexpr int kUpFrame = 0, kOverFrame = 1, kDownFrame = 2;

  private:
    std::map<std::uint16_t, Timeline> upStates_;
    std::map<std::uint16_t, Timeline> stateTimelines_;
};

}  // namespace saver::swf
