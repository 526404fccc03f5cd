// MorphCache: the interpolated shapes of the morph shapes on stage, one per (character,
// ratio), built on first use so that a frame never interpolates the same morph twice and a
// morph that stays still is built once.
//
// A shape handed out in tick T stays alive at least until the player collects tick T + 2, so
// a render list outlives the tick it was made in by one. Shapes not used for two ticks are
// dropped when a new one is built in a later tick, so a tween that runs for hours holds only
// the shapes of its last frames. When the shapes in use would exceed kMaxCachedEdges, the
// morph asked for is not drawn (shapeAt returns null).
//
// Failure: none beyond the null above.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "swf/format/SwfMovie.h"

namespace saver::swf {

class MorphCache {
  public:
    static constexpr std::size_t kMaxCachedEdges = 1u << 20;

    // `tick` is the player's tick count now.
    const Shape* shapeAt(const MorphShape& morph, std::uint16_t ratio, std::uint64_t tick);

    std::size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        std::unique_ptr<Shape> shape;
        std::size_t edges = 0;
        std::uint64_t lastUsed = 0;
    };

    void dropUnusedBefore(std::uint64_t tick);

    std::map<std::pair<std::uint16_t, std::uint16_t>, Entry> entries_;
    std::size_t edges_ = 0;
    std::uint64_t sweptAt_ = 0;
};

}  // namespace saver::swf
