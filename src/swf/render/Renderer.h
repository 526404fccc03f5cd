// Renderer: draws a flattened display list into a BGRA frame buffer with the AGG rasteriser.
//
// Fills follow the SWF edge model: every path carries a fill style on each side (fill0 left,
// fill1 right), drawn as non-overlapping regions; solid, linear, radial and focal radial
// gradient fills (spread and interpolation modes honoured); strokes with width, caps and joins
// (hairlines of width 0 are one pixel wide); matrices and colour transforms with alpha; masks
// as the items' ClipRole describes them (anti-aliased mask edges); bitmap fills (clipped or
// repeating, smoothed or not) from the item's BitmapLibrary; groups drawn offscreen, filtered
// and blended (GroupLayers).
//
// Quality::Low draws without anti-aliasing (a pixel is painted when its centre lies inside) and
// bitmaps unsmoothed, Quality::High anti-aliased.
//
// Groups nest at most 8 deep; deeper ones are drawn without their effects.
//
// Failure: none; degenerate geometry (empty paths, zero-size gradients, singular matrices) is
// skipped. The target is cleared to the background colour first and left opaque.
#pragma once

#include <memory>
#include <span>

#include "swf/format/SwfTypes.h"
#include "swf/render/BgraImage.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

enum class Quality { Low, High };

class Renderer {
  public:
    Renderer();
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // `stage` maps stage twips to target pixels (see StageTransform).
    void render(std::span<const RenderItem> items, Rgba background, const Matrix& stage,
                Quality quality, BgraImage& target);
    // Draws over what `target` already holds, without clearing it: a script's drawing into a
    // bitmap. Shapes are painted as onto an opaque picture; items that must keep the target's
    // transparency belong in a group (BeginGroup ... EndGroup), whose layer is blended onto
    // the target with its alpha.
    void renderOver(std::span<const RenderItem> items, const Matrix& stage, Quality quality,
                    BgraImage& target);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace saver::swf
