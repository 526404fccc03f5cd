// BitmapPaint: a bitmap fill made ready to paint device pixels. Each pixel centre is mapped
// back into the bitmap (the fill's matrix maps bitmap pixels to shape twips, 20 to a pixel at
// scale 1) and sampled there:
//   - smoothed: bilinear between the four nearest texel centres; not smoothed: the texel the
//     point falls in;
//   - repeating: the bitmap tiles the plane; clipped: its edge pixels stretch outwards.
// At scale 1 on whole pixels both samplings give exactly the bitmap's pixels. The colour
// transform applies to every texel (straight colour, then premultiplied again).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/SwfTypes.h"
#include "swf/render/DecodedBitmap.h"

namespace saver::swf {

class BitmapPaint {
  public:
    // `bitmapToPixels` maps bitmap pixels to device pixels. False (and nothing to paint) when
    // the matrix cannot be inverted or the bitmap is empty.
    bool prepare(std::shared_ptr<const DecodedBitmap> bitmap, const Matrix& bitmapToPixels,
                 bool repeat, bool smooth, const ColorTransform& cx);

    // Premultiplied colours of `len` pixels of row `y` from column `x`, as B, G, R, A bytes
    // in one word each (the target's order).
    void generate(std::uint32_t* out, int x, int y, unsigned len) const;
    // Blends them, weighted by `covers`, into the opaque BGRA `row` (the target's row `y`).
    void blend(std::uint8_t* row, int x, int y, unsigned len, const std::uint8_t* covers) const;

  private:
    // Premultiplied B, G, R, A texel mixes of `len` pixels of row `y` from column `x`.
    template <bool Repeat, bool Smooth>
    void sample(std::uint32_t* out, int x, int y, unsigned len) const;
    void sampleAny(std::uint32_t* out, int x, int y, unsigned len) const;
    template <bool Repeat>
    void sampleUpright(std::uint32_t* out, int x, int y, unsigned len) const;
    void transform(std::uint32_t* texels, unsigned len) const;

    std::shared_ptr<const DecodedBitmap> bitmap_;
    Matrix inverse_;  // device pixels to bitmap pixels
    bool repeat_ = false, smooth_ = false, identityColor_ = true;
    bool upright_ = false;  // rows of the bitmap run along the target's rows
    ColorTransform cx_;
    mutable std::vector<std::uint32_t> texels_;
    // A bitmap row mixed along x for a span from column `x` (sampleUpright); two are kept, the
    // upper and the lower row of the last span.
    struct MixedRow {
        int row = -1;
        int x = 0;
        std::vector<std::uint32_t> texels;
    };
    mutable std::array<MixedRow, 2> mixed_;
};

}  // namespace saver::swf
