// GroupCache: the finished pictures of groups (BeginGroup ... EndGroup items) kept from frame to
// frame, so that a group whose content did not change is blended from its picture instead of
// being drawn, filtered and cleared again (as Flash Player keeps the bitmap of a cached or
// filtered object).
//
// A group's key is everything its picture depends on: each of its items (roles, shapes,
// matrices, colour transforms; the blend modes, filters and backgrounds of the groups inside),
// the group's own filters and background, the matrix from stage twips to the frame's pixels
// and the moves of the groups around it, the frame's size and the quality. Not in it:
// the group's own blend mode and colour transform, which apply to the finished picture, so a
// group that only fades is reused. Items are compared by value and a shape by its address, which
// is sound only for shapes that never change while they exist and whose address no other shape
// takes while they may be compared: the items with a nonzero `source` (RenderItem). A group
// holding any other shape (a script's drawing, a morph, a text field, a script's bitmap) is not
// kept.
//
// A picture is kept once a group's key is seen in two frames in a row (a group that changes
// every frame costs only its key) and used from the third (or later, when the frame has
// already kept kMaxNewBytesPerFrame of new pictures). Keys and pictures of groups not
// looked up in a frame are dropped at its end (endFrame), and the pictures together stay
// within kMaxBytes: a picture that would pass it is not kept (the group is drawn every frame).
//
// Failure: none; a group that cannot be kept is drawn as if there were no cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "swf/format/Filter.h"
#include "swf/format/SwfTypes.h"
#include "swf/render/BgraImage.h"
#include "swf/render/RenderItem.h"
#include "swf/render/RowExtents.h"

namespace saver::swf {

class GroupCache {
  public:
    // Eleven full-HD layers.
    static constexpr std::size_t kMaxBytes = std::size_t{96} << 20;
    // Pictures newly kept in one frame (beyond the first): a movie whose many large groups all
    // become keepable at once has them kept over several frames, so that no one frame pays for
    // all their fresh memory.
    static constexpr std::size_t kMaxNewBytesPerFrame = std::size_t{4} << 20;

    // A group's finished picture: its rectangle, filtered, with the top left corner at (x, y)
    // of the picture it is blended onto.
    struct Picture {
        BgraImage image;
        int x = 0, y = 0;
        bool filtered = false;  // image holds the whole rectangle; else only `drawn` is read
        RowExtents drawn;       // unfiltered: the spans drawing touched, in image coordinates
        bool ready = false;     // false: to be filled in by drawing the group this frame
        bool refused = false;   // too large to keep
    };

    // What the picture of a group depends on besides its items.
    struct Setting {
        Matrix stage;                   // stage twips to the frame's pixels
        double shiftX = 0, shiftY = 0;  // the moves of the groups around it
        int width = 0, height = 0;
        bool aliased = false;
    };

    // The picture of the group opened at items[begin] and closed at items[end]: ready to be
    // blended, or (ready false) to be filled in as the group is drawn and then passed to
    // keep(); null when the group is not to be kept (it holds shapes that may change, or its
    // key is new).
    Picture* find(std::span<const RenderItem> items, std::size_t begin, std::size_t end,
                  const Setting& setting);
    // Keeps `image` (taken by swapping, so `image` gets a buffer to reuse) as the picture found
    // to be filled in, with its corner at (x, y) and, when not filtered, the spans `drawn` (in
    // image coordinates) that hold anything. False, with `image` left as it is and the picture
    // never asked for again, when it would take the pictures past kMaxBytes.
    bool keep(Picture& picture, BgraImage& image, int x, int y, const RowExtents* drawn);
    // Ends a frame: drops what was not looked up in it.
    void endFrame();

    std::size_t bytes() const { return bytes_; }
    std::size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        Setting setting;
        std::vector<RenderItem> items;  // BeginGroup ... EndGroup, `filters` not read
        std::vector<Filter> filters;    // the filters of the groups among them, in order
        Picture picture;
        std::uint64_t frame = 0;  // the frame it was last looked up in
    };

    static bool Matches(const Entry& entry, std::span<const RenderItem> group,
                        const Setting& setting);
    static void Fill(Entry& entry, std::span<const RenderItem> group, const Setting& setting);
    void drop(Picture& picture);

    std::unordered_map<std::uint64_t, Entry> entries_;  // by the hash of the key
    std::uint64_t frame_ = 1;
    std::size_t bytes_ = 0;
    std::size_t newBytes_ = 0;  // kept in this frame
};

}  // namespace saver::swf
