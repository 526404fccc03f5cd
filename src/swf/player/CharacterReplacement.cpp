// Scripts hold on to sprites and buttons by name, which is presumably why Flash never swaps
// the character under them; static graphics have no such identity.
#include "swf/player/CharacterReplacement.h"

namespace saver::swf {

namespace {

bool MayReplace(const Movie& movie, std::uint16_t from, std::uint16_t to) {
    const auto old = movie.dictionary.find(from);
    const auto now = movie.dictionary.find(to);
    if (old == movie.dictionary.end() || now == movie.dictionary.end()) return false;
    const auto scripted = [](const Character& c) {
        return std::holds_alternative<Sprite>(c) || std::holds_alternative<Button>(c);
    };
    return !scripted(old->second) && old->second.index() == now->second.index();
}

}  // namespace

const PlaceObject& AsApplied(const DisplayList& list, const PlaceObject& place, const Movie& movie,
                             PlaceObject& scratch) {
    if (!place.move || !place.characterId) return place;
    const auto it = list.find(place.depth);
    if (it == list.end() || it->second.characterId == *place.characterId ||
        MayReplace(movie, it->second.characterId, *place.characterId))
        return place;
    scratch = place;
    scratch.characterId.reset();
    return scratch;
}

}  // namespace saver::swf
