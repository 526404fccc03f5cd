// The rectangle of a group is found by walking its items once when it opens: every shape's
// bounds through its matrix, with a pixel to spare for anti-aliasing and hairlines. A layer
// of the frame's size has its rectangle filtered on a copy, which is then blended from there;
// a layer of just the rectangle saves that copy (and the frame-sized memory it needs).
#include "swf/render/GroupLayers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "swf/render/LayerBlend.h"

namespace saver::swf {

namespace {

constexpr int kEdgeMargin = 2;   // pixels around the shapes' bounds
constexpr int kMaxReach = 1024;  // pixels a layer may reach beyond each side of the frame
constexpr int kBand = 16;        // rows blended and then cleared while they are in the cache

struct Box {
    double x0 = std::numeric_limits<double>::max(), y0 = x0;
    double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
    void add(double x, double y) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    bool empty() const { return !(x0 <= x1 && y0 <= y1); }
};

// The index of the EndGroup that closes the group opened at `begin` (the list's end if none).
std::size_t GroupEnd(std::span<const RenderItem> items, std::size_t begin) {
    int depth = 0;
    for (std::size_t i = begin + 1; i < items.size(); ++i) {
        if (items[i].role == ClipRole::BeginGroup) ++depth;
        if (items[i].role == ClipRole::EndGroup && depth-- == 0) return i;
    }
    return items.size();
}

// The pixel bounds of the shapes drawn inside the group opened at `begin`; a filtered group
// inside it counts with its filters' growth, which its layer will carry onto this one.
Box GroupBounds(std::span<const RenderItem> items, std::size_t begin, const Matrix& stage) {
    Box box;
    for (std::size_t i = begin + 1; i < items.size(); ++i) {
        const RenderItem& item = items[i];
        if (item.role == ClipRole::EndGroup) break;
        if (item.role == ClipRole::BeginGroup) {
            const Box inner = GroupBounds(items, i, stage);
            i = GroupEnd(items, i);
            if (inner.empty()) continue;
            FilterMargins grow;
            if (item.filters)
                grow = FilterChain::growth(*item.filters, std::hypot(stage.a, stage.b) * 20,
                                           std::hypot(stage.c, stage.d) * 20);
            box.add(inner.x0 - grow.left, inner.y0 - grow.top);
            box.add(inner.x1 + grow.right, inner.y1 + grow.bottom);
            continue;
        }
        if (item.role != ClipRole::Draw || item.shape == nullptr) continue;
        const Matrix m = stage * item.matrix;
        const Rect& r = item.shape->bounds;
        for (const auto& [x, y] : {std::pair{r.xMin, r.yMin}, std::pair{r.xMax, r.yMin},
                                   std::pair{r.xMin, r.yMax}, std::pair{r.xMax, r.yMax}}) {
            double px, py;
            m.apply(x, y, px, py);
            if (std::isfinite(px) && std::isfinite(py)) box.add(px, py);
        }
    }
    return box;
}

// Whether the group opened at `begin` holds neither masks nor groups: its layer may then be
// larger than the frame, as nothing inside addresses it as the frame.
bool SelfContained(std::span<const RenderItem> items, std::size_t begin) {
    for (std::size_t i = begin + 1; i < items.size(); ++i) {
        const ClipRole role = items[i].role;
        if (role == ClipRole::EndGroup) return true;
        if (role != ClipRole::Draw) return false;
    }
    return true;
}

int Clamp(double v, int lo, int hi) {
    if (!(v > lo)) return lo;
    if (!(v < hi)) return hi;
    return static_cast<int>(v);
}

}  // namespace

void GroupLayers::reset(BgraImage& target, bool keepPictures, bool aliased) {
    // Layers left open by the frame before (one that ended inside a group) are cleared.
    for (std::size_t level = 0; level < open_.size(); ++level) clearDrawn(level, {});
    target_ = &target;
    open_.clear();
    shiftX_ = shiftY_ = 0;
    keepPictures_ = keepPictures;
    aliased_ = aliased;
    pending_ = nullptr;
}

std::size_t GroupLayers::reuse(std::span<const RenderItem> items, std::size_t begin,
                               const Matrix& stage, const std::uint8_t* mask) {
    pending_ = nullptr;
    if (!keepPictures_) return begin;
    const std::size_t end = GroupEnd(items, begin);
    GroupCache::Picture* picture = cache_.find(
        items, begin, end, {stage, shiftX_, shiftY_, target_->width, target_->height, aliased_});
    if (picture == nullptr) return begin;
    if (!picture->ready) {
        pending_ = picture;
        pendingItem_ = &items[begin];
        return begin;
    }
    const std::uint8_t mode = items[begin].blendMode;
    if ((mode == kBlendAlpha || mode == kBlendErase) && open_.empty()) return end;  // not shown
    blendImage(picture->image, picture->x, picture->y,
               picture->filtered ? nullptr : &picture->drawn, items[begin], mask, below());
    return end;
}

BgraImage& GroupLayers::open(std::span<const RenderItem> items, std::size_t begin,
                             const Matrix& unshifted) {
    const Matrix stage = shifted(unshifted);
    Group g;
    g.item = &items[begin];
    if (pending_ != nullptr && pendingItem_ == g.item) g.keep = pending_;
    pending_ = nullptr;
    g.scaleX = std::hypot(stage.a, stage.b) * 20;
    g.scaleY = std::hypot(stage.c, stage.d) * 20;
    Box box = GroupBounds(items, begin, stage);
    if (!box.empty() && (g.item->filters || g.item->background || g.item->cached)) {
        g.shiftX = std::round(box.x0) - box.x0;
        g.shiftY = std::round(box.y0) - box.y0;
        box = {box.x0 + g.shiftX, box.y0 + g.shiftY, box.x1 + g.shiftX, box.y1 + g.shiftY};
    }
    int reachLeft = 0, reachTop = 0, reachRight = 0, reachBottom = 0;
    const bool selfContained = SelfContained(items, begin);
    if (!box.empty()) {
        FilterMargins grow;
        if (g.item->filters) grow = FilterChain::growth(*g.item->filters, g.scaleX, g.scaleY);
        // A filter moves and spreads the picture by its growth: what lies outside the frame
        // on the side opposite a growth can reach into the frame, so it is drawn too.
        if (g.item->filters && selfContained) {
            auto reach = [](int growth) {
                return growth > 0 ? std::min(growth + kEdgeMargin, kMaxReach) : 0;
            };
            reachLeft = reach(grow.right);
            reachTop = reach(grow.bottom);
            reachRight = reach(grow.left);
            reachBottom = reach(grow.top);
        }
        const int w = target_->width, h = target_->height;
        g.x0 = Clamp(std::floor(box.x0) - kEdgeMargin - grow.left, -reachLeft, w + reachRight);
        g.y0 = Clamp(std::floor(box.y0) - kEdgeMargin - grow.top, -reachTop, h + reachBottom);
        g.x1 = Clamp(std::ceil(box.x1) + kEdgeMargin + grow.right, g.x0, w + reachRight);
        g.y1 = Clamp(std::ceil(box.y1) + kEdgeMargin + grow.bottom, g.y0, h + reachBottom);
        g.fitted = selfContained;
    }
    int layerW, layerH;
    if (g.fitted) {
        // The layer is the rectangle itself (at least a pixel, for the rasteriser).
        g.originX = -g.x0;
        g.originY = -g.y0;
        layerW = std::max(g.x1 - g.x0, 1);
        layerH = std::max(g.y1 - g.y0, 1);
    } else {
        // The layer's origin moves by what lies left of and above the frame.
        g.originX = std::max(-g.x0, 0);
        g.originY = std::max(-g.y0, 0);
        layerW = target_->width + g.originX + std::max(g.x1 - target_->width, 0);
        layerH = target_->height + g.originY + std::max(g.y1 - target_->height, 0);
    }
    g.shiftX += g.originX;
    g.shiftY += g.originY;
    const std::size_t level = open_.size();
    if (layers_.size() <= level) layers_.push_back(std::make_unique<BgraImage>());
    if (drawn_.size() <= level) drawn_.resize(level + 1);
    BgraImage& layer = *layers_[level];
    // A layer is clear between uses (close() clears what was drawn), so a new size (groups
    // of other sizes) need not clear it again.
    if (layer.width != layerW || layer.height != layerH) layer.resizeClear(layerW, layerH);
    drawn_[level].reset(layerW, layerH);
    if (g.item->background && !box.empty())
        fillBackground(*g.item->background, box.x0 + g.originX, box.y0 + g.originY,
                       box.x1 + g.originX, box.y1 + g.originY, level);
    open_.push_back(g);
    shiftX_ += g.shiftX;
    shiftY_ += g.shiftY;
    return layer;
}

BgraImage& GroupLayers::close(const std::uint8_t* mask) {
    if (open_.empty()) return *target_;
    const Group g = open_.back();
    const std::size_t level = open_.size() - 1;
    open_.pop_back();
    shiftX_ -= g.shiftX;
    shiftY_ -= g.shiftY;
    BgraImage& dest = below();
    const std::uint8_t mode = g.item->blendMode;
    const bool shown = !((mode == kBlendAlpha || mode == kBlendErase) && open_.empty());
    Rows done;
    if (g.x1 > g.x0 && g.y1 > g.y0 && shown) {
        if (g.fitted) {
            done = closeFitted(g, level, mask, dest);
        } else if (g.item->filters) {  // filters work on a copy of just the rectangle
            done = copyDrawn(g, level);
            filters_.apply(*g.item->filters, g.scaleX, g.scaleY, work_);
            blendWork(g, nullptr, mask, dest);
        } else if (g.keep != nullptr) {  // a copy to keep, blended from there
            done = copyDrawn(g, level, &workSpans_);
            blendWork(g, &workSpans_, mask, dest);
        } else {
            done = blendDrawn(g, level, mask, dest);
        }
    }
    clearDrawn(level, done);
    return dest;
}

// A fitted layer is the group's rectangle: it is filtered where it lies and, when its picture
// is to be kept, handed to the cache whole (the layer then starts again from no memory).
GroupLayers::Rows GroupLayers::closeFitted(const Group& g, std::size_t level,
                                           const std::uint8_t* mask, BgraImage& dest) {
    BgraImage& layer = *layers_[level];
    RowExtents& drawn = drawn_[level];
    if (g.item->filters) filters_.apply(*g.item->filters, g.scaleX, g.scaleY, layer);
    const RowExtents* spans = g.item->filters ? nullptr : &drawn;
    const std::size_t room = layer.pixels.capacity();
    if (g.keep != nullptr && cache_.keep(*g.keep, layer, g.x0, g.y0, spans)) {
        const GroupCache::Picture& kept = *g.keep;
        blendImage(kept.image, kept.x, kept.y, spans ? &kept.drawn : nullptr, *g.item, mask, dest);
        // The layer took the cache's empty buffer (whatever it holds is not to be relied on).
        // It gets back the room it had, untouched: memory is brought in only as groups use it,
        // never copied over by a layer outgrowing a smaller buffer.
        layer.pixels.clear();
        layer.pixels.reserve(room);
        layer.width = layer.height = 0;
        drawn.reset(0, 0);
        return {};
    }
    if (spans != nullptr) return blendDrawn(g, level, mask, dest);
    // The filters spread the picture over the whole rectangle: it is all blended and cleared,
    // a band at a time while the band is in the cache.
    if (RowExtents* destDrawn = drawnRows(); destDrawn != nullptr)
        destDrawn->addRect(g.x0, g.y0, g.x1, g.y1);
    const std::size_t rowBytes = static_cast<std::size_t>(layer.width) * 4;
    for (int y = 0; y < layer.height; y += kBand) {
        const int n = std::min(kBand, layer.height - y);
        BlendLayer({&layer, 0, y, layer.width, n}, g.x0, g.y0 + y, g.item->blendMode,
                   g.item->colorTransform, mask, dest);
        std::memset(layer.pixels.data() + static_cast<std::size_t>(y) * rowBytes, 0,
                    rowBytes * static_cast<std::size_t>(n));
    }
    drawn.reset(layer.width, layer.height);
    return {};
}

// Only the drawn spans are blended; what they put into the picture below is recorded there
// when that picture is a layer itself.
// A band of rows is blended and then cleared while it is still in the cache: a full-stage
// layer is far larger than the cache, and a separate clearing pass would read it all again.
GroupLayers::Rows GroupLayers::blendDrawn(const Group& g, std::size_t level,
                                          const std::uint8_t* mask, BgraImage& dest) {
    const BgraImage& layer = *layers_[level];
    const int lx = g.x0 + g.originX, ly = g.y0 + g.originY;  // the rectangle in the layer
    const RowExtents& drawn = drawn_[level];
    const Rows rows{std::max(drawn.top(), ly), std::min(drawn.bottom(), g.y1 + g.originY)};
    RowExtents* destDrawn = drawnRows();
    if (destDrawn != nullptr)
        for (int y = rows.y0; y < rows.y1; ++y) {
            const RowExtents::Span s = drawn.row(y);
            if (s.empty()) continue;
            destDrawn->add(y - g.originY, std::max(s.x0, lx) - g.originX,
                           std::min(s.x1, lx + g.x1 - g.x0) - g.originX);
        }
    for (int y = rows.y0; y < rows.y1; y += kBand) {
        const int n = std::min(kBand, rows.y1 - y);
        BlendLayer({&layer, lx, y, g.x1 - g.x0, n}, lx - g.originX, y - g.originY,
                   g.item->blendMode, g.item->colorTransform, mask, dest, &drawn);
        clearRows(level, y, y + n);
    }
    return rows;
}

void GroupLayers::blendWork(const Group& g, const RowExtents* spans, const std::uint8_t* mask,
                            BgraImage& dest) {
    GroupCache::Picture* keep = g.keep;
    if (keep != nullptr && cache_.keep(*keep, work_, g.x0, g.y0, spans))
        blendImage(keep->image, keep->x, keep->y, spans ? &keep->drawn : nullptr, *g.item, mask,
                   dest);
    else
        blendImage(work_, g.x0, g.y0, spans, *g.item, mask, dest);
}

// What the image puts into `dest` is recorded there when `dest` is a layer itself: the
// rectangle of a filtered picture, the drawn spans of another.
void GroupLayers::blendImage(const BgraImage& image, int x, int y, const RowExtents* spans,
                             const RenderItem& item, const std::uint8_t* mask, BgraImage& dest) {
    if (RowExtents* destDrawn = drawnRows(); destDrawn != nullptr) {
        if (spans == nullptr) {
            destDrawn->addRect(x, y, x + image.width, y + image.height);
        } else {
            for (int row = spans->top(); row < spans->bottom(); ++row) {
                const RowExtents::Span s = spans->row(row);
                if (!s.empty()) destDrawn->add(y + row, x + s.x0, x + s.x1);
            }
        }
    }
    BlendLayer({&image, 0, 0, image.width, image.height}, x, y, item.blendMode, item.colorTransform,
               mask, dest, spans);
}

// The group's rectangle into work_: clear, with the drawn spans copied in.
// Each row is cleared in the layer as soon as it is copied, while it is in the cache.
GroupLayers::Rows GroupLayers::copyDrawn(const Group& g, std::size_t level, RowExtents* spans) {
    const BgraImage& layer = *layers_[level];
    const int w = g.x1 - g.x0, h = g.y1 - g.y0;
    const int lx = g.x0 + g.originX, ly = g.y0 + g.originY;
    work_.width = w;
    work_.height = h;
    work_.pixels.resize(static_cast<std::size_t>(w) * h * 4);
    const RowExtents& drawn = drawn_[level];
    const Rows rows{std::max(drawn.top(), ly), std::min(drawn.bottom(), ly + h)};
    if (spans != nullptr) spans->reset(w, h);
    // Every byte of the rectangle is written once: the drawn span copied, the rest zeroed.
    for (int y = ly; y < ly + h; ++y) {
        std::uint8_t* out = work_.pixels.data() + static_cast<std::size_t>(y - ly) * w * 4;
        const RowExtents::Span s = y >= rows.y0 && y < rows.y1 ? drawn.row(y) : RowExtents::Span{};
        const int x0 = std::clamp(s.x0, lx, lx + w), x1 = std::clamp(s.x1, x0, lx + w);
        std::memset(out, 0, static_cast<std::size_t>(x0 - lx) * 4);
        if (x1 > x0 && spans != nullptr) spans->add(y - ly, x0 - lx, x1 - lx);
        if (x1 > x0)
            std::memcpy(out + static_cast<std::size_t>(x0 - lx) * 4,
                        layer.pixels.data() + (static_cast<std::size_t>(y) * layer.width + x0) * 4,
                        static_cast<std::size_t>(x1 - x0) * 4);
        std::memset(out + static_cast<std::size_t>(x1 - lx) * 4, 0,
                    static_cast<std::size_t>(lx + w - x1) * 4);
        if (y >= rows.y0 && y < rows.y1) clearRows(level, y, y + 1);
    }
    return rows;
}

// The pixels whose centres lie within the bounds, as a cached bitmap of them has.
void GroupLayers::fillBackground(Rgba color, double x0, double y0, double x1, double y1,
                                 std::size_t level) {
    BgraImage& layer = *layers_[level];
    const int px0 = Clamp(std::ceil(x0 - 0.5), 0, layer.width);
    const int px1 = Clamp(std::ceil(x1 - 0.5), px0, layer.width);
    const int py0 = Clamp(std::ceil(y0 - 0.5), 0, layer.height);
    const int py1 = Clamp(std::ceil(y1 - 0.5), py0, layer.height);
    const std::uint8_t bgra[4] = {color.b, color.g, color.r, 255};
    for (int y = py0; y < py1; ++y) {
        std::uint8_t* p =
            layer.pixels.data() + (static_cast<std::size_t>(y) * layer.width + px0) * 4;
        for (int x = px0; x < px1; ++x, p += 4) std::memcpy(p, bgra, 4);
    }
    drawn_[level].addRect(px0, py0, px1, py1);
}

void GroupLayers::clearRows(std::size_t level, int y0, int y1) {
    BgraImage& layer = *layers_[level];
    const RowExtents& drawn = drawn_[level];
    for (int y = std::max(y0, drawn.top()); y < std::min(y1, drawn.bottom()); ++y) {
        const RowExtents::Span s = drawn.row(y);
        if (s.empty()) continue;
        std::memset(layer.pixels.data() + (static_cast<std::size_t>(y) * layer.width + s.x0) * 4, 0,
                    static_cast<std::size_t>(s.x1 - s.x0) * 4);
    }
}

void GroupLayers::clearDrawn(std::size_t level, Rows done) {
    RowExtents& drawn = drawn_[level];
    if (done.y1 > done.y0) {
        clearRows(level, drawn.top(), done.y0);
        clearRows(level, done.y1, drawn.bottom());
    } else {
        clearRows(level, drawn.top(), drawn.bottom());
    }
    drawn.reset(layers_[level]->width, layers_[level]->height);
}

}  // namespace saver::swf
