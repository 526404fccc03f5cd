// The rectangle of a group is found by walking its items once when it opens: every shape's
// bounds through its matrix, with a pixel to spare for anti-aliasing and hairlines. Filters
// run on a copy of just that rectangle, which is then blended back from the copy.
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

// The pixel bounds of the shapes drawn inside the group opened at `begin`.
Box GroupBounds(std::span<const RenderItem> items, std::size_t begin, const Matrix& stage) {
    Box box;
    int depth = 0;
    for (std::size_t i = begin + 1; i < items.size(); ++i) {
        const RenderItem& item = items[i];
        if (item.role == ClipRole::BeginGroup) ++depth;
        if (item.role == ClipRole::EndGroup && depth-- == 0) break;
        if (item.role != ClipRole::Draw || item.shape == nullptr) continue;
        const Matrix m = stage * item.matrix;
        const Rect& r = item.shape->bounds;
        for (const auto [x, y] : {std::pair{r.xMin, r.yMin}, std::pair{r.xMax, r.yMin},
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

void GroupLayers::reset(BgraImage& target) {
    target_ = &target;
    open_.clear();
    shiftX_ = shiftY_ = 0;
}

BgraImage& GroupLayers::open(std::span<const RenderItem> items, std::size_t begin,
                             const Matrix& unshifted) {
    const Matrix stage = shifted(unshifted);
    Group g;
    g.item = &items[begin];
    g.scaleX = std::hypot(stage.a, stage.b) * 20;
    g.scaleY = std::hypot(stage.c, stage.d) * 20;
    Box box = GroupBounds(items, begin, stage);
    if (!box.empty() && g.item->filters) {
        g.shiftX = std::round(box.x0) - box.x0;
        g.shiftY = std::round(box.y0) - box.y0;
        box = {box.x0 + g.shiftX, box.y0 + g.shiftY, box.x1 + g.shiftX, box.y1 + g.shiftY};
    }
    int reachLeft = 0, reachTop = 0, reachRight = 0, reachBottom = 0;
    if (!box.empty()) {
        FilterMargins grow;
        if (g.item->filters) grow = FilterChain::growth(*g.item->filters, g.scaleX, g.scaleY);
        // A filter moves and spreads the picture by its growth: what lies outside the frame
        // on the side opposite a growth can reach into the frame, so it is drawn too.
        if (g.item->filters && SelfContained(items, begin)) {
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
        // The layer's origin moves by what lies left of and above the frame.
        g.originX = std::max(-g.x0, 0);
        g.originY = std::max(-g.y0, 0);
        g.shiftX += g.originX;
        g.shiftY += g.originY;
    }
    const int layerW = target_->width + g.originX + std::max(g.x1 - target_->width, 0);
    const int layerH = target_->height + g.originY + std::max(g.y1 - target_->height, 0);
    const std::size_t level = open_.size();
    if (layers_.size() <= level) layers_.push_back(std::make_unique<BgraImage>());
    BgraImage& layer = *layers_[level];
    if (layer.width != layerW || layer.height != layerH) layer.resize(layerW, layerH);
    for (int y = g.y0 + g.originY; y < g.y1 + g.originY; ++y)
        std::memset(layer.pixels.data() +
                        (static_cast<std::size_t>(y) * layer.width + g.x0 + g.originX) * 4,
                    0, static_cast<std::size_t>(g.x1 - g.x0) * 4);
    open_.push_back(g);
    shiftX_ += g.shiftX;
    shiftY_ += g.shiftY;
    return layer;
}

BgraImage& GroupLayers::close(const std::uint8_t* mask) {
    if (open_.empty()) return *target_;
    const Group g = open_.back();
    const BgraImage& layer = *layers_[open_.size() - 1];
    open_.pop_back();
    shiftX_ -= g.shiftX;
    shiftY_ -= g.shiftY;
    BgraImage& dest = below();
    const int w = g.x1 - g.x0, h = g.y1 - g.y0;
    if (w <= 0 || h <= 0) return dest;
    const std::uint8_t mode = g.item->blendMode;
    if ((mode == kBlendAlpha || mode == kBlendErase) && open_.empty()) return dest;
    const int lx = g.x0 + g.originX, ly = g.y0 + g.originY;  // the rectangle in the layer
    ImageRect source{&layer, lx, ly, w, h};
    if (g.item->filters) {  // filters work on a copy of just the rectangle
        work_.width = w;
        work_.height = h;
        work_.pixels.resize(static_cast<std::size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            std::memcpy(
                work_.pixels.data() + static_cast<std::size_t>(y) * w * 4,
                layer.pixels.data() + (static_cast<std::size_t>(ly + y) * layer.width + lx) * 4,
                static_cast<std::size_t>(w) * 4);
        filters_.apply(*g.item->filters, g.scaleX, g.scaleY, work_);
        source = {&work_, 0, 0, w, h};
    }
    BlendLayer(source, g.x0, g.y0, mode, g.item->colorTransform, mask, dest);
    return dest;
}

}  // namespace saver::swf
