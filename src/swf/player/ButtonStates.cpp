// The records go in file order: where two up-state records share a depth, the later one is
// what the depth shows, as with two placements.
#include "swf/player/ButtonStates.h"

namespace saver::swf {

const Timeline& ButtonStates::upState(const Button& button) {
    const auto [it, added] = upStates_.try_emplace(button.id);
    Timeline& timeline = it->second;
    if (!added) return timeline;
    timeline.declaredFrameCount = 1;
    Frame& frame = timeline.frames.emplace_back();
    for (const ButtonRecord& record : button.records) {
        if (!(record.states & kButtonUp)) continue;
        PlaceObject place;
        place.version = 2;
        place.depth = record.depth;
        place.characterId = record.characterId;
        place.matrix = record.matrix;
        place.colorTransform = record.colorTransform;
        place.blendMode = record.blendMode;
        frame.commands.emplace_back(std::move(place));
    }
    return timeline;
}

}  // namespace saver::swf
