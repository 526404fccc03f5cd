// A depth-first walk over the sprites on stage; clips are few enough that keeping no index
// costs less than keeping one in step with every display change.
#include "swf/player/PlacementPath.h"

namespace saver::swf {

namespace {

bool Walk(TimelineInstance& at, const TimelineInstance& target, int nesting,
          std::vector<DisplayObject*>& path) {
    if (nesting > kMaxSpriteNesting) return false;
    for (auto& [depth, object] : at.displayList()) {
        if (!object.sprite) continue;
        path.push_back(&object);
        if (object.sprite.get() == &target || Walk(*object.sprite, target, nesting + 1, path))
            return true;
        path.pop_back();
    }
    return false;
}

}  // namespace

std::vector<DisplayObject*> PlacementPath(TimelineInstance& root, const TimelineInstance& target) {
    std::vector<DisplayObject*> path;
    if (&root != &target && !Walk(root, target, 0, path)) path.clear();
    return path;
}

DisplayObject* FindPlacement(TimelineInstance& root, const TimelineInstance& target) {
    const auto path = PlacementPath(root, target);
    return path.empty() ? nullptr : path.back();
}

std::optional<Matrix> ConcatenatedMatrix(TimelineInstance& root, const TimelineInstance& target) {
    if (&root == &target) return Matrix{};
    const auto path = PlacementPath(root, target);
    if (path.empty()) return std::nullopt;
    Matrix m;
    for (const DisplayObject* o : path) m = m * o->matrix;
    return m;
}

}  // namespace saver::swf
