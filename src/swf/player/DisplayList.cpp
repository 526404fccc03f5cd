// The display commands on a display list. The same code serves the live list of a running
// timeline and the plain list the player builds when it goes back to an earlier frame, so
// both always agree on what a frame shows.
#include "swf/player/DisplayList.h"

namespace saver::swf {

namespace {

void TakeGivenProperties(DisplayObject& object, const PlaceObject& place) {
    if (place.matrix && !object.scripted) {
        object.matrix = *place.matrix;
        object.hasCachedScale = false;
    }
    if (place.colorTransform && !object.scripted) object.colorTransform = *place.colorTransform;
    if (!place.clipActions.empty()) object.clipActions = &place.clipActions;
    if (place.visible) object.visible = *place.visible;
    if (place.ratio) object.ratio = *place.ratio;
    if (place.name) object.name = *place.name;
    if (place.clipDepth) object.clipDepth = *place.clipDepth;
    if (place.blendMode) object.blendMode = *place.blendMode;
    if (place.filters) object.filters = place.filters->empty() ? nullptr : &*place.filters;
    if (place.cacheAsBitmap) object.cacheAsBitmap = *place.cacheAsBitmap;
    if (place.opaqueBackground) object.opaqueBackground = *place.opaqueBackground;
}

PlaceResult PlaceNew(DisplayList& list, const PlaceObject& place) {
    DisplayObject object;
    object.characterId = *place.characterId;
    TakeGivenProperties(object, place);
    list[place.depth] = std::move(object);
    return PlaceResult::NewCharacter;
}

}  // namespace

PlaceResult ApplyPlace(DisplayList& list, const PlaceObject& place) {
    const auto it = list.find(place.depth);
    if (!place.move) {
        if (!place.characterId) return PlaceResult::None;
        return PlaceNew(list, place);
    }
    // The player ignores a move onto an empty depth, even one that names a character.
    if (it == list.end()) return PlaceResult::None;
    DisplayObject& object = it->second;
    TakeGivenProperties(object, place);
    if (place.characterId && *place.characterId != object.characterId) {
        object.characterId = *place.characterId;
        object.sprite.reset();
        object.text.reset();
        return PlaceResult::NewCharacter;
    }
    return PlaceResult::Modified;
}

void ApplyRemove(DisplayList& list, const RemoveObject& remove) {
    list.erase(remove.depth);
}

}  // namespace saver::swf
