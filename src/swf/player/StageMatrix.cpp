#include "swf/player/StageMatrix.h"

#include <memory>

#include "swf/player/TimelineInstance.h"

namespace saver::swf {

Matrix StageMatrix(const TimelineInstance& t) {
    Matrix m;
    const TimelineInstance* at = &t;
    // Parents are held while walking: a parent is only reachable through a weak link.
    std::shared_ptr<TimelineInstance> keep;
    // The guard stops a chain longer than nesting allows (it cannot happen; a cycle would).
    for (int guard = 0; at && guard <= kMaxSpriteNesting + 1; ++guard) {
        const DisplayObject* o = at->placement();
        if (!o) return Matrix{};
        m = o->matrix * m;
        keep = at->parent();
        at = keep.get();
    }
    return m;
}

}  // namespace saver::swf
