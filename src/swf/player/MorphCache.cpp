// Edges are what an interpolated shape costs; the cap keeps a movie that shows one morph at
// thousands of ratios in one frame from holding them all.
#include "swf/player/MorphCache.h"

#include "swf/player/MorphInterpolation.h"

namespace saver::swf {

namespace {

std::size_t EdgeCount(const Shape& shape) {
    std::size_t edges = 0;
    for (const ShapePath& path : shape.paths) edges += path.edges.size() + 1;
    return edges;
}

}  // namespace

const Shape* MorphCache::shapeAt(const MorphShape& morph, std::uint16_t ratio, std::uint64_t tick) {
    const auto key = std::make_pair(morph.id, ratio);
    if (const auto it = entries_.find(key); it != entries_.end()) {
        it->second.lastUsed = tick;
        return it->second.shape.get();
    }
    auto shape = std::make_unique<Shape>(InterpolateMorph(morph, ratio));
    const std::size_t edges = EdgeCount(*shape);
    if (tick != sweptAt_) {
        dropUnusedBefore(tick);
        sweptAt_ = tick;
    }
    if (edges_ + edges > kMaxCachedEdges) return nullptr;
    edges_ += edges;
    Entry& entry = entries_[key];
    entry = {std::move(shape), edges, tick};
    return entry.shape.get();
}

// Kept: what tick - 1 and tick used, as a render list of the previous tick may still be drawn.
void MorphCache::dropUnusedBefore(std::uint64_t tick) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.lastUsed + 1 < tick) {
            edges_ -= it->second.edges;
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace saver::swf
