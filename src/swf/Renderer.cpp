// The renderer owns one ShapeRasterizer for its lifetime, so the rasteriser's memory is reused
// from frame to frame; a frame itself allocates only when a shape needs more than any before.
#include "swf/Renderer.h"

#include <cmath>
#include <cstring>

#include "swf/ShapeRasterizer.h"

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

struct Renderer::Impl {
    ShapeRasterizer rasterizer;
};

Renderer::Renderer() : impl_(std::make_unique<Impl>()) {}
Renderer::~Renderer() = default;

void Renderer::render(std::span<const RenderItem> items, Rgba background, const Matrix& stage,
                      Quality quality, BgraImage& target) {
    if (target.width <= 0 || target.height <= 0 ||
        target.pixels.size() < static_cast<std::size_t>(target.width) * target.height * 4)
        return;
    Clear(target, background);
    impl_->rasterizer.begin(target, quality == Quality::Low);
    const double stageScale = std::sqrt(std::fabs(stage.a * stage.d - stage.b * stage.c));
    for (const RenderItem& item : items) {
        if (item.shape == nullptr) continue;
        const Matrix m = stage * item.matrix;
        if (Finite(m))  // a degenerate product of nested scales draws nothing
            impl_->rasterizer.draw(*item.shape, m, item.colorTransform, stageScale);
    }
}

}  // namespace saver::swf
