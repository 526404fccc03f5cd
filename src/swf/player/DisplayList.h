// DisplayList: the objects of one timeline by depth, and the effect of the display commands
// (PlaceObject, RemoveObject) on it.
//
// Placement rules, as the SWF file format defines them and the player carries them out:
//   - no move flag, with a character: a new object at the depth with the given properties
//     (identity matrix and colour transform, ratio 0 where none is given); an object already
//     at that depth is replaced;
//   - move flag, no character: the object at the depth takes the given properties and keeps
//     the others; nothing happens when the depth is empty;
//   - move flag and a character: the object at the depth shows the new character and keeps
//     the properties not given; nothing happens when the depth is empty (the player ignores
//     a move there, whatever the file format's text suggests);
//   - neither move flag nor character: nothing happens.
// RemoveObject empties the depth (whatever character is there).
//
// The sprite instance of an object is owned by the object; ApplyPlace drops it whenever the
// object's character changes, and the caller makes the new one.
//
// Depths are the file's (0..65535) for objects the timeline places; scripts place objects at
// their own depth plus kScriptDepthOffset, so a script depth of 0 lies above every timeline
// layer the authoring tool writes. Once a script changed an object's transform
// (`scripted`), timeline moves leave its matrix and colour alone, as Flash does.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

class TimelineInstance;
class TextFieldState;
class BitmapSurface;

struct DisplayObject {
    std::uint16_t characterId = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;  // where a morph shape is drawn between its start and end
    std::string name;
    std::optional<std::uint16_t> clipDepth;    // a mask for the depths above, up to this one
    std::shared_ptr<TimelineInstance> sprite;  // the running sprite, or a button's up state
    // SWF 8 effects: the blend mode as PlaceObject3 numbers it (0 and 1 normal), the filter
    // list (the Movie's; null when none) and bitmap caching.
    std::uint8_t blendMode = 0;
    const std::vector<Filter>* filters = nullptr;
    // The filters a script gave the object (`filters` then points here); null when none.
    std::shared_ptr<const std::vector<Filter>> scriptFilters;
    bool cacheAsBitmap = false;
    std::optional<Rgba> opaqueBackground;  // fills the object's bounds beneath it
    // A text field's live state (TextFieldBinding), made when first needed.
    mutable std::shared_ptr<TextFieldState> text;
    // A bitmap a script attached (characterId 0): the surface it shows, kept alive here, and
    // the shape that draws it (see BitmapShape).
    std::shared_ptr<BitmapSurface> bitmap;
    std::shared_ptr<const Character> bitmapShape;
    bool visible = true;
    bool scripted = false;  // a script set its transform: timeline moves keep off it
    // Removed, but kept (at a depth below the stage's) until the next frame for its unload
    // handler; no longer drawn or run.
    bool pendingRemoval = false;
    // The clip's onClipEvent handlers (the Movie's; null when none).
    const std::vector<ClipAction>* clipActions = nullptr;
    // Scale and rotation as a script last set them (the matrix alone cannot tell a flip from
    // a half turn): read back exactly, and the matrix rebuilt from them keeps its skew.
    bool hasCachedScale = false;
    double xScale = 1, yScale = 1, rotation = 0, skew = 0;  // rotation and skew in degrees
};

// The depth of a script's depth 0 in a display list.
inline constexpr int kScriptDepthOffset = 16384;

using DisplayList = std::map<int, DisplayObject>;

enum class PlaceResult {
    None,          // nothing changed
    Modified,      // same character, new properties
    NewCharacter,  // the depth shows a character it did not show before; `sprite` is empty
};

PlaceResult ApplyPlace(DisplayList& list, const PlaceObject& place);
void ApplyRemove(DisplayList& list, const RemoveObject& remove);

}  // namespace saver::swf
