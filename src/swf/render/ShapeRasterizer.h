// ShapeRasterizer: draws one shape into a BGRA frame, layer by layer (a shape's layers begin
// where it replaces its styles). In each layer, first all fills in a single pass of AGG's
// compound rasteriser (every edge carries its left and right fill style, so regions that share
// an edge meet without a seam or double coverage; a style's region is filled by the even-odd
// rule, or the non-zero rule where the shape asks for it), then the strokes, one pass per line
// style in style order. Connected paths of one line style are stroked as one line, so joins
// appear where they meet and a line that returns to its start is closed.
//
// Lines scale with the shape's matrix, stretched with it where it stretches; a line that keeps
// its width along one axis follows only the other axis' scale, one that keeps it along both
// only the stage's. Any line is at least one pixel wide, hairlines (width 0) exactly one.
//
// Kept between frames so that the rasteriser's cell blocks and the vertex buffers are reused
// rather than allocated per shape. Failure: none; off-target geometry is clipped, degenerate
// paths draw nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"
#include "swf/render/BgraImage.h"

namespace saver::swf {

class BitmapLibrary;
class RowExtents;

class ShapeRasterizer {
  public:
    ShapeRasterizer();
    ~ShapeRasterizer();
    ShapeRasterizer(const ShapeRasterizer&) = delete;
    ShapeRasterizer& operator=(const ShapeRasterizer&) = delete;

    // Targets `image` (which must outlive the draw calls); `aliased` turns anti-aliasing off:
    // a pixel is then painted fully when its centre lies inside the fill or the stroke's
    // outline, else not at all (see AliasedRasterizer).
    void begin(BgraImage& image, bool aliased);

    // `toPixels` maps shape twips to target pixels; `stageScale` is the stage's pixels per
    // twip, for lines that do not scale with the shape. Bitmap fills take their bitmaps from
    // `bitmaps` (none: they paint nothing) and are smoothed only when anti-aliasing.
    void draw(const Shape& shape, const Matrix& toPixels, const ColorTransform& cx,
              double stageScale, const BitmapLibrary* bitmaps = nullptr);

    // Clips what draw() paints by `mask`: one coverage byte per target pixel, rows top-down
    // (255 paints fully, 0 not at all); null paints unclipped. The mask must outlive its use.
    void setMask(const std::uint8_t* mask);

    // Records the span of every row that draw() paints into `drawn` (null: nothing recorded).
    // It must outlive its use.
    void setDrawnRows(RowExtents* drawn);

    // Adds the area the shape's fills cover (its lines are not part of a mask) to `mask`, laid
    // out as for setMask, coverage summed and capped at 255. Not clipped by any mask.
    void drawMask(const Shape& shape, const Matrix& toPixels, std::uint8_t* mask);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace saver::swf
