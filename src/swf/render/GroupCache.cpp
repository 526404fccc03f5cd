// Keys are hashed and compared in place over the frame's items, so a frame allocates only when a
// key is new. Numbers are hashed by their bits: two equal numbers with different bits (0 and -0)
// only miss, and a NaN never equals itself, so it never hits.
#include "swf/render/GroupCache.h"

#include <bit>
#include <cstring>
#include <utility>

namespace saver::swf {

namespace {

class Hash {
  public:
    void add(std::uint64_t v) { h_ = (h_ ^ v) * 0x100000001b3ull + (h_ >> 29); }
    void add(double v) { add(std::bit_cast<std::uint64_t>(v)); }
    void add(const void* p) {
        add(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)));
    }
    void add(const Matrix& m) {
        for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) add(v);
    }
    void add(const ColorTransform& c) {
        for (double v : {c.mulR, c.mulG, c.mulB, c.mulA, c.addR, c.addG, c.addB, c.addA}) add(v);
    }
    std::uint64_t value() const { return h_; }

  private:
    std::uint64_t h_ = 0xcbf29ce484222325ull;
};

std::uint64_t Packed(const std::optional<Rgba>& c) {
    return c ? 0x100000000ull | std::uint64_t{c->r} << 24 | std::uint64_t{c->g} << 16 |
                   std::uint64_t{c->b} << 8 | c->a
             : 0;
}

// A filter list by its values: groups that differ only in their filters (one object shown
// with several effects) must not share a key, or only one of them is ever kept.
void AddFilters(Hash& h, const std::vector<Filter>* filters) {
    h.add(std::uint64_t{filters ? filters->size() + 1 : 0});
    if (filters == nullptr) return;
    for (const Filter& f : *filters) {
        h.add(std::uint64_t{static_cast<std::uint8_t>(f.kind)} |
              std::uint64_t{static_cast<std::uint32_t>(f.passes)} << 8 |
              std::uint64_t{f.inner} << 40 | std::uint64_t{f.knockout} << 41 |
              std::uint64_t{f.compositeSource} << 42 | std::uint64_t{f.onTop} << 43 |
              std::uint64_t{f.clamp} << 44 | std::uint64_t{f.preserveAlpha} << 45);
        for (double v : {f.blurX, f.blurY, f.angle, f.distance, f.strength}) h.add(v);
        h.add(Packed(f.color) << 32 ^ Packed(f.highlight));
        for (float v : f.colorMatrix) h.add(static_cast<double>(v));
        for (float v : f.kernel) h.add(static_cast<double>(v));
        h.add(static_cast<double>(f.divisor));
        h.add(static_cast<double>(f.bias));
        for (const FilterGradientStop& stop : f.gradient)
            h.add(Packed(stop.color) << 8 | stop.ratio);
    }
}

// What of the group's own BeginGroup item shapes its picture (not its blend mode or colour
// transform, which act on the finished picture).
void AddOpening(Hash& h, const RenderItem& item) {
    h.add(Packed(item.background));
    h.add(std::uint64_t{item.cached});
    AddFilters(h, item.filters);
}

bool SameOpening(const RenderItem& a, const RenderItem& b) {
    return a.background == b.background && a.cached == b.cached;
}

void AddItem(Hash& h, const RenderItem& item) {
    h.add(item.shape);
    h.add(item.source);
    h.add(item.matrix);
    h.add(item.colorTransform);
    h.add(std::uint64_t{static_cast<std::uint8_t>(item.role)} | std::uint64_t{item.blendMode} << 8 |
          std::uint64_t{item.cached} << 16);
    h.add(item.bitmaps);
    h.add(Packed(item.background));
    AddFilters(h, item.filters);
}

bool SameItem(const RenderItem& a, const RenderItem& b) {
    return a.shape == b.shape && a.source == b.source && a.matrix == b.matrix &&
           a.colorTransform == b.colorTransform && a.role == b.role && a.bitmaps == b.bitmaps &&
           a.blendMode == b.blendMode && a.background == b.background && a.cached == b.cached;
}

// The filters of the group's items, in order, match `kept` (filter lists laid end to end, each
// list's length counted by the items' hash).
bool SameFilters(std::span<const RenderItem> group, const std::vector<Filter>& kept) {
    std::size_t at = 0;
    for (const RenderItem& item : group) {
        if (item.filters == nullptr) continue;
        if (kept.size() - at < item.filters->size()) return false;
        for (const Filter& f : *item.filters)
            if (!(f == kept[at++])) return false;
    }
    return at == kept.size();
}

}  // namespace

bool GroupCache::Matches(const Entry& entry, std::span<const RenderItem> group,
                         const Setting& setting) {
    const Setting& s = entry.setting;
    if (!(s.stage == setting.stage) || s.shiftX != setting.shiftX || s.shiftY != setting.shiftY ||
        s.width != setting.width || s.height != setting.height || s.aliased != setting.aliased ||
        entry.items.size() != group.size() || !SameOpening(entry.items[0], group[0]))
        return false;
    for (std::size_t i = 1; i < group.size(); ++i)
        if (!SameItem(entry.items[i], group[i])) return false;
    return SameFilters(group, entry.filters);
}

void GroupCache::Fill(Entry& entry, std::span<const RenderItem> group, const Setting& setting) {
    entry.setting = setting;
    entry.items.assign(group.begin(), group.end());
    entry.filters.clear();
    for (RenderItem& item : entry.items) {
        if (item.filters)
            entry.filters.insert(entry.filters.end(), item.filters->begin(), item.filters->end());
        item.filters = nullptr;  // the list may go; its copy above is what counts
    }
}

GroupCache::Picture* GroupCache::find(std::span<const RenderItem> items, std::size_t begin,
                                      std::size_t end, const Setting& setting) {
    if (end >= items.size() || begin >= end) return nullptr;
    const std::span<const RenderItem> group = items.subspan(begin, end - begin + 1);
    Hash h;
    h.add(setting.stage);
    h.add(setting.shiftX);
    h.add(setting.shiftY);
    h.add(std::uint64_t{static_cast<std::uint32_t>(setting.width)} << 32 |
          static_cast<std::uint32_t>(setting.height));
    h.add(std::uint64_t{setting.aliased});
    AddOpening(h, group[0]);
    for (std::size_t i = 1; i < group.size(); ++i) {
        const RenderItem& item = group[i];
        if (item.shape != nullptr && item.source == 0) return nullptr;  // may change unseen
        AddItem(h, item);
    }
    auto [it, added] = entries_.try_emplace(h.value());
    Entry& entry = it->second;
    if (!added && !Matches(entry, group, setting)) {
        if (entry.frame == frame_) return nullptr;  // another group of this frame has it
        drop(entry.picture);
        added = true;
    }
    if (added) {
        Fill(entry, group, setting);
        entry.frame = frame_;
        return nullptr;
    }
    const bool seenBefore = entry.frame + 1 == frame_;
    entry.frame = frame_;
    if (entry.picture.ready) return &entry.picture;
    // Kept from the second frame in a row on, unless it did not fit (then never).
    return seenBefore && !entry.picture.refused ? &entry.picture : nullptr;
}

bool GroupCache::keep(Picture& picture, BgraImage& image, int x, int y, const RowExtents* drawn) {
    const std::size_t size = image.pixels.size();
    if (size > kMaxBytes - bytes_) {
        drop(picture);
        picture.refused = true;
        return false;
    }
    // Left to be kept in a later frame (the picture stays wanted).
    if (newBytes_ > 0 && size > kMaxNewBytesPerFrame - std::min(newBytes_, kMaxNewBytesPerFrame))
        return false;
    newBytes_ += size;
    std::swap(picture.image, image);
    picture.x = x;
    picture.y = y;
    picture.filtered = drawn == nullptr;
    if (drawn != nullptr) picture.drawn = *drawn;
    picture.ready = true;
    bytes_ += size;
    return true;
}

void GroupCache::drop(Picture& picture) {
    if (picture.ready) bytes_ -= picture.image.pixels.size();
    picture = {};
}

void GroupCache::endFrame() {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.frame == frame_) {
            ++it;
            continue;
        }
        drop(it->second.picture);
        it = entries_.erase(it);
    }
    ++frame_;
    newBytes_ = 0;
}

}  // namespace saver::swf
