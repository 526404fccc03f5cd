// The records go in file order: where two up-state records share a depth, the later one is
// what the depth shows, as with two placements.
#include "swf/player/ButtonStates.h"

#include <set>

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

namespace {

// The records a state shows, by depth (a later record at a depth wins).
std::map<std::uint16_t, const ButtonRecord*> StateRecords(const Button& button, std::uint8_t flag) {
    std::map<std::uint16_t, const ButtonRecord*> out;
    for (const ButtonRecord& record : button.records)
        if (record.states & flag) out[record.depth] = &record;
    return out;
}

}  // namespace

const Timeline& ButtonStates::stateTimeline(const Button& button) {
    const auto [it, added] = stateTimelines_.try_emplace(button.id);
    Timeline& timeline = it->second;
    if (!added) return timeline;
    timeline.declaredFrameCount = 3;
    std::set<std::uint16_t> depths;
    for (const ButtonRecord& record : button.records) depths.insert(record.depth);
    std::map<std::uint16_t, const ButtonRecord*> before;
    for (const std::uint8_t flag : {kButtonUp, kButtonOver, kButtonDown}) {
        const auto shown = StateRecords(button, flag);
        Frame& frame = timeline.frames.emplace_back();
        for (const std::uint16_t depth : depths) {
            const auto now = shown.find(depth);
            const auto was = before.find(depth);
            const bool kept = now != shown.end() && was != before.end() &&
                              was->second->characterId == now->second->characterId;
            if (!kept && was != before.end()) frame.commands.emplace_back(RemoveObject{depth, {}});
            if (now == shown.end()) continue;
            PlaceObject place;
            place.version = 2;
            place.depth = depth;
            place.move = kept;
            if (!kept) place.characterId = now->second->characterId;
            place.matrix = now->second->matrix;
            place.colorTransform = now->second->colorTransform;
            place.blendMode = now->second->blendMode;
            frame.commands.emplace_back(std::move(place));
        }
        before = shown;
    }
    return timeline;
}

}  // namespace saver::swf
