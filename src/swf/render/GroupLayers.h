// GroupLayers: the offscreen layers of the groups a frame opens (BeginGroup ... EndGroup
// items): where a group's items are drawn, and how the finished layer is filtered and blended
// onto the picture below it.
//
// A group that holds only shapes (no masks, no groups) draws into a layer of just its
// rectangle: the pixel bounds of the shapes it holds, grown by its filters, cut to the frame.
// Its filters then work on the layer where it lies, and a picture to keep is the layer itself.
// Any other group's layer has the size of the frame, so masks and the rasteriser address it as
// they do the frame, and only its rectangle is filtered (on a copy) and blended. Within an
// unfiltered rectangle, only the spans of each row that drawing touched (drawnRows(), which
// the rasteriser fills in) are read, blended and cleared again: a layer is all clear whenever
// no group uses it. A filtered group that holds only shapes also keeps what lies outside the
// frame as far as its filters can bring it in (a shadow of a shape above the frame's top
// edge): its rectangle reaches beyond the frame. Layers are kept from frame to frame and reused
// by nesting level, so a frame allocates only when it nests deeper, or its groups need more
// room, than any before.
//
// A filtered, cached or opaque-backed group is drawn as Flash draws a cached bitmap: its
// picture moved by less than half a pixel so that its bounds start on whole pixels; shifted()
// gives the matrices of the items inside that move. A group's rectangle holds what the
// filtered groups inside it spread beyond their shapes.
//
// With pictures kept (reset's `keepPictures`, for the frames of a movie), a group whose content
// is the same as in the frames before is blended from its kept picture (GroupCache) instead of
// being drawn: reuse() does that, or else tells open() to keep the picture the group draws.
// The picture blended is the very one drawing the group would give.
//
// The alpha and erase modes act on the layer of the group around them; with none (directly on
// the stage, whose transparency is never shown) they change nothing that can be seen.
//
// Failure: none; a group without shapes draws nothing, closing with no group open does
// nothing.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "swf/format/SwfTypes.h"
#include "swf/render/BgraImage.h"
#include "swf/render/FilterChain.h"
#include "swf/render/GroupCache.h"
#include "swf/render/RenderItem.h"
#include "swf/render/RowExtents.h"

namespace saver::swf {

class GroupLayers {
  public:
    // Starts a frame drawn into `target`, with no group open. With `keepPictures`, groups'
    // pictures are kept and reused (see above); `aliased` is the frame's quality, which they
    // depend on.
    void reset(BgraImage& target, bool keepPictures = false, bool aliased = false);
    // Ends a frame: drops the kept pictures of the groups it did not draw.
    void endFrame() { cache_.endFrame(); }

    // When the group of `items[begin]` (a BeginGroup item) has a kept picture, blends it onto
    // the image the group would be blended onto, weighted by `mask` (as close() does), and
    // returns the index of its EndGroup item: its items are not to be drawn. Otherwise returns
    // `begin`, and the group is to be opened (open()) and drawn.
    std::size_t reuse(std::span<const RenderItem> items, std::size_t begin, const Matrix& stage,
                      const std::uint8_t* mask);

    // Opens the group of `items[begin]` (a BeginGroup item) and returns the image its items
    // are drawn into. `stage` maps stage twips to target pixels.
    BgraImage& open(std::span<const RenderItem> items, std::size_t begin, const Matrix& stage);

    // Closes the innermost group: filters its layer, blends it onto the image below, weighted
    // by `mask` (a coverage byte per pixel of that image; null for none), and returns that
    // image.
    BgraImage& close(const std::uint8_t* mask);

    std::size_t depth() const { return open_.size(); }

    // Where the drawing into the innermost open group's layer is to be recorded; null with no
    // group open (the frame itself needs no record).
    RowExtents* drawnRows() { return open_.empty() ? nullptr : &drawn_[open_.size() - 1]; }

    // `toPixels` (a matrix to target pixels) with the moves of the open groups added.
    Matrix shifted(Matrix toPixels) const {
        toPixels.tx += shiftX_;
        toPixels.ty += shiftY_;
        return toPixels;
    }

  private:
    struct Group {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the layer's rectangle in target pixels
        int originX = 0, originY = 0;        // where the target's origin lies in the layer
        const RenderItem* item = nullptr;
        double scaleX = 1, scaleY = 1;        // target pixels per SWF pixel, for the filters
        double shiftX = 0, shiftY = 0;        // the move of its items onto whole pixels
        GroupCache::Picture* keep = nullptr;  // where to keep its picture, if anywhere
        bool fitted = false;                  // its layer is just its rectangle
    };

    BgraImage& below() { return open_.empty() ? *target_ : *layers_[open_.size() - 1]; }
    // Layer rows y0..y1, cleared as they were read (so clearDrawn need not read them again).
    struct Rows {
        int y0 = 0, y1 = 0;
    };
    Rows closeFitted(const Group& g, std::size_t level, const std::uint8_t* mask, BgraImage& dest);
    Rows blendDrawn(const Group& g, std::size_t level, const std::uint8_t* mask, BgraImage& dest);
    // With `spans`, records there the spans copied, in work_'s coordinates.
    Rows copyDrawn(const Group& g, std::size_t level, RowExtents* spans = nullptr);
    // Blends work_ (the group's rectangle, only `spans` of it read when given), keeping it as
    // the group's picture when asked to.
    void blendWork(const Group& g, const RowExtents* spans, const std::uint8_t* mask,
                   BgraImage& dest);
    void blendImage(const BgraImage& image, int x, int y, const RowExtents* spans,
                    const RenderItem& item, const std::uint8_t* mask, BgraImage& dest);
    void clearRows(std::size_t level, int y0, int y1);
    void clearDrawn(std::size_t level, Rows done);
    void fillBackground(Rgba color, double x0, double y0, double x1, double y1, std::size_t level);

    BgraImage* target_ = nullptr;
    std::vector<std::unique_ptr<BgraImage>> layers_;  // by nesting level
    std::vector<RowExtents> drawn_;                   // what was drawn into each, by level
    std::vector<Group> open_;
    double shiftX_ = 0, shiftY_ = 0;  // the moves of every open group, summed
    FilterChain filters_;
    BgraImage work_;        // the rectangle of the closing layer, filtered
    RowExtents workSpans_;  // what work_ holds, for an unfiltered group's picture
    GroupCache cache_;
    bool keepPictures_ = false, aliased_ = false;
    GroupCache::Picture* pending_ = nullptr;  // for the group reuse() was last asked about
    const RenderItem* pendingItem_ = nullptr;
};

}  // namespace saver::swf
