// The renderer owns one ShapeRasterizer for its lifetime, so the rasteriser's memory is reused
// from frame to frame; a frame itself allocates only when a shape needs more than any before.
#include "swf/render/Renderer.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "swf/render/GroupLayers.h"
#include "swf/render/ShapeRasterizer.h"
#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

// Paints every pixel with the background, opaque: the first row pixel by pixel, the others
// copied from it.
void Clear(BgraImage& target, Rgba background) {
    const std::size_t rowBytes = static_cast<std::size_t>(target.width) * 4;
    std::uint8_t* row = target.pixels.data();
    for (std::size_t i = 0; i < rowBytes; i += 4) {
        row[i] = background.b;
        row[i + 1] = background.g;
        row[i + 2] = background.r;
        row[i + 3] = 255;
    }
    for (int y = 1; y < target.height; ++y) std::memcpy(row + y * rowBytes, row, rowBytes);
}

bool Finite(const Matrix& m) {
    return std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
           std::isfinite(m.tx) && std::isfinite(m.ty);
}

}  // namespace

namespace {

// Each open group holds a layer of its own; groups nested deeper than this (only a hostile
// movie has them) are drawn into the layer around them, without their own effects.
constexpr std::size_t kMaxGroupDepth = 8;

// Open masks, innermost last. Layers are kept once made (a frame only clears them), so
// masking allocates only when a movie nests deeper than before. A group's items are clipped
// only by the masks opened inside it (its layer as a whole is clipped by those outside), so
// each group sets a base below which masks are out of its reach.
class MaskStack {
  public:
    void reset(std::size_t pixels) {
        pixels_ = pixels;
        open_ = 0;
        base_ = 0;
        building_ = false;
    }
    std::size_t enterGroup() {
        finish();
        return std::exchange(base_, open_);
    }
    void leaveGroup(std::size_t base) {
        finish();
        open_ = base_;
        base_ = base;
    }
    // Opens a new, empty mask that the following Mask items build.
    void begin() {
        finish();
        if (layers_.size() <= open_) layers_.emplace_back();
        layers_[open_].assign(pixels_, 0);
        ++open_;
        building_ = true;
    }
    // The mask being built, or null when the Mask item has no BeginMask before it.
    std::uint8_t* building() { return building_ ? layers_[open_ - 1].data() : nullptr; }
    // Ends the building of the innermost mask: it is clipped by the one it lies in.
    void finish() {
        if (!building_) return;
        building_ = false;
        if (open_ < base_ + 2) return;
        std::uint8_t* inner = layers_[open_ - 1].data();
        const std::uint8_t* outer = layers_[open_ - 2].data();
        for (std::size_t i = 0; i < pixels_; ++i)
            inner[i] = static_cast<std::uint8_t>(MulDiv255(inner[i], outer[i]));
    }
    void close() {
        finish();
        if (open_ > base_) --open_;
    }
    const std::uint8_t* current() const {
        return open_ > base_ ? layers_[open_ - 1].data() : nullptr;
    }

  private:
    std::vector<std::vector<std::uint8_t>> layers_;
    std::size_t open_ = 0;
    std::size_t base_ = 0;
    std::size_t pixels_ = 0;
    bool building_ = false;
};

}  // namespace

struct Renderer::Impl {
    ShapeRasterizer rasterizer;
    MaskStack masks;
    GroupLayers groups;
    std::vector<std::size_t> maskBases;  // per open group
    std::size_t flattened = 0;           // groups opened beyond kMaxGroupDepth, drawn in place
    bool aliased = false;

    void draw(std::span<const RenderItem> items, const Matrix& stage, Quality quality,
              BgraImage& target, bool keepPictures);
    void clip(const RenderItem& item, const Matrix& m);
    std::size_t group(std::span<const RenderItem> items, std::size_t i, const Matrix& stage);
    void closeGroup();
};

// A group's items draw into its layer, clipped by the masks opened inside it; when it closes,
// the layer is blended onto the picture below through the masks open around it. A group with a
// kept picture is blended from it at once, through the same masks, and its items skipped.
// Returns the index of the last item dealt with.
std::size_t Renderer::Impl::group(std::span<const RenderItem> items, std::size_t i,
                                  const Matrix& stage) {
    if (items[i].role == ClipRole::BeginGroup) {
        if (maskBases.size() >= kMaxGroupDepth) {
            ++flattened;
            return i;
        }
        masks.finish();
        if (const std::size_t end = groups.reuse(items, i, stage, masks.current()); end != i) {
            rasterizer.setMask(masks.current());
            return end;
        }
        maskBases.push_back(masks.enterGroup());
        rasterizer.begin(groups.open(items, i, stage), aliased);
        rasterizer.setMask(masks.current());
        rasterizer.setDrawnRows(groups.drawnRows());
    } else if (flattened > 0) {
        --flattened;
    } else {
        closeGroup();
    }
    return i;
}

void Renderer::Impl::closeGroup() {
    if (maskBases.empty()) return;
    masks.leaveGroup(maskBases.back());
    maskBases.pop_back();
    rasterizer.begin(groups.close(masks.current()), aliased);
    rasterizer.setMask(masks.current());
    rasterizer.setDrawnRows(groups.drawnRows());
}

// Mask items add to the mask their BeginMask opened; any other item finishes it, and from then
// on drawing is clipped by the innermost open mask.
void Renderer::Impl::clip(const RenderItem& item, const Matrix& m) {
    switch (item.role) {
        case ClipRole::Mask:
            if (std::uint8_t* mask = masks.building(); mask && item.shape && Finite(m))
                rasterizer.drawMask(*item.shape, m, mask);
            return;
        case ClipRole::BeginMask:
            masks.begin();
            return;
        case ClipRole::Unmask:
            masks.close();
            break;
        default:
            masks.finish();
            break;
    }
    rasterizer.setMask(masks.current());
}

Renderer::Renderer() : impl_(std::make_unique<Impl>()) {}
Renderer::~Renderer() = default;

void Renderer::render(std::span<const RenderItem> items, Rgba background, const Matrix& stage,
                      Quality quality, BgraImage& target) {
    if (target.width <= 0 || target.height <= 0 ||
        target.pixels.size() < static_cast<std::size_t>(target.width) * target.height * 4)
        return;
    Clear(target, background);
    impl_->draw(items, stage, quality, target, true);
    impl_->groups.endFrame();
}

// A bitmap drawn into keeps no group pictures: they are for the frames of a movie, and would
// push out the frame's own.
void Renderer::renderOver(std::span<const RenderItem> items, const Matrix& stage, Quality quality,
                          BgraImage& target) {
    if (target.width <= 0 || target.height <= 0 ||
        target.pixels.size() < static_cast<std::size_t>(target.width) * target.height * 4)
        return;
    impl_->draw(items, stage, quality, target, false);
}

void Renderer::Impl::draw(std::span<const RenderItem> items, const Matrix& stage, Quality quality,
                          BgraImage& target, bool keepPictures) {
    aliased = quality == Quality::Low;
    rasterizer.begin(target, aliased);
    rasterizer.setMask(nullptr);
    rasterizer.setDrawnRows(nullptr);
    masks.reset(static_cast<std::size_t>(target.width) * target.height);
    groups.reset(target, keepPictures, aliased);
    maskBases.clear();
    flattened = 0;
    const double stageScale = std::sqrt(std::fabs(stage.a * stage.d - stage.b * stage.c));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const RenderItem& item = items[i];
        if (item.role == ClipRole::BeginGroup || item.role == ClipRole::EndGroup) {
            i = group(items, i, stage);
            continue;
        }
        const Matrix m = groups.shifted(stage * item.matrix);
        clip(item, m);
        if (item.role != ClipRole::Draw || item.shape == nullptr) continue;
        if (Finite(m))  // a degenerate product of nested scales draws nothing
            rasterizer.draw(*item.shape, m, item.colorTransform, stageScale, item.bitmaps);
    }
    while (!maskBases.empty()) closeGroup();  // a list that ends inside a group
    rasterizer.setMask(nullptr);
}

}  // namespace saver::swf
