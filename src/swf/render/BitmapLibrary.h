// BitmapLibrary: the decoded bitmaps of one movie, for its bitmap fills. A bitmap is decoded
// up front by decodeAhead() (the player's loader calls it on its worker thread, so a large
// photo does not stall the first frame that shows it) or else when a fill first asks for it,
// and kept while the decode budget allows: once the decoded
// bitmaps would take more than `budgetBytes`, those used longest ago are dropped (and decoded
// again should they be needed again), so a long photo show keeps only its recent pictures.
//
// Not thread-safe; one renderer uses it at a time. `find` is const for the renderer but fills
// the cache, which is the library's own business.
//
// The surfaces scripts draw on (BitmapSurface) are made here too: their pixels count against
// the same budget (cached bitmaps are dropped to make room for them, never the other way
// round) until they are disposed or destroyed. Each has an id from kFirstSurfaceId up that
// fills name; the library does not keep a surface alive, its users do.
//
// Failure: find() returns null for an id that is no bitmap, for a bitmap that is damaged
// or larger than the whole budget (tried once, then remembered as such), and for a surface
// that is gone or disposed. makeSurface() returns null when the budget cannot hold it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "swf/format/SwfMovie.h"
#include "swf/render/BitmapSurface.h"
#include "swf/render/DecodedBitmap.h"

namespace saver::swf {

class BitmapLibrary {
  public:
    // 256 MiB: some thirty full-HD photos.
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

    // `movie` must outlive the library.
    explicit BitmapLibrary(const Movie& movie, std::size_t budgetBytes = kDefaultBudget);
    ~BitmapLibrary();
    BitmapLibrary(const BitmapLibrary&) = delete;
    BitmapLibrary& operator=(const BitmapLibrary&) = delete;

    // The bitmap character `id`, decoded. Shared: a bitmap dropped from the cache lives on
    // while a paint still holds it.
    std::shared_ptr<const DecodedBitmap> find(std::uint32_t id) const;

    static constexpr std::uint32_t kFirstSurfaceId = 0x10000;
    // A new surface filled with `argb` (width and height from 1 to kMaxBitmapSide).
    std::shared_ptr<BitmapSurface> makeSurface(int width, int height, bool transparent,
                                               std::uint32_t argb);
    std::shared_ptr<BitmapSurface> surface(std::uint32_t id) const;

    // Decodes the movie's bitmaps in id order until they take half the budget (the rest wait
    // for their first draw), so that drawing finds them decoded. Damaged ones are remembered
    // as such, as by find().
    void decodeAhead();

    std::size_t bytesInUse() const { return used_; }

  private:
    struct Entry {
        std::shared_ptr<const DecodedBitmap> bitmap;  // null: damaged or too large
        std::uint64_t lastUse = 0;
    };
    void makeRoom(std::size_t bytes) const;
    // Bytes held by surfaces; shared with the surfaces, which give theirs back when they go
    // (also after the library).
    std::shared_ptr<std::size_t> surfaceBytes_ = std::make_shared<std::size_t>(0);
    std::map<std::uint32_t, std::weak_ptr<BitmapSurface>> surfaces_;
    std::uint32_t nextSurfaceId_ = kFirstSurfaceId;

    const Movie& movie_;
    std::size_t budget_;
    mutable std::map<std::uint16_t, Entry> entries_;
    mutable std::size_t used_ = 0;
    mutable std::uint64_t clock_ = 0;
};

}  // namespace saver::swf
