// FillPaint: one fill style made ready to paint device pixels: a solid colour, or a gradient
// with its colour table (the 256-entry ramp, blended between neighbouring entries in
// sixteenth steps) and the map from pixel centres back into the gradient
// square (-16384..16384 twips). Colours come out premultiplied, colour transform applied.
//
// Bitmap fills are painted by a BitmapPaint from the bitmaps of `BitmapSource`; smoothing is
// used only where the fill asks for it and the source allows it. A gradient or bitmap whose
// matrix cannot be inverted, a gradient without stops and a bitmap fill whose bitmap is
// missing or damaged paint nothing (transparent).
#pragma once

#include <agg_color_rgba.h>

#include <array>
#include <memory>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

class BitmapLibrary;
class BitmapPaint;

// Where bitmap fills find their bitmaps, and whether they may be smoothed (not at low
// quality).
struct BitmapSource {
    const BitmapLibrary* library = nullptr;
    bool smoothing = true;
};

class FillPaint {
  public:
    FillPaint();
    ~FillPaint();
    FillPaint(FillPaint&&) noexcept;
    FillPaint& operator=(FillPaint&&) noexcept;

    // `toPixels` maps shape twips to device pixels.
    void prepare(const FillStyle& style, const Matrix& toPixels, const ColorTransform& cx,
                 const BitmapSource& bitmaps = {});

    bool isSolid() const { return kind_ == Kind::Solid; }
    // Solid fills only: premultiplied B, G, R, A bytes (the target's order) in one word.
    std::uint32_t color() const { return color_.packed; }

    // Writes the colours of `len` pixels of row `y` starting at column `x`, premultiplied
    // B, G, R, A words.
    void generate(std::uint32_t* out, int x, int y, unsigned len) const;

    // Blends those pixels, weighted by `covers`, into `row` (the target's row `y`, opaque
    // BGRA).
    void blend(std::uint8_t* row, int x, int y, unsigned len, const std::uint8_t* covers) const;

    // A colour, premultiplied, also as B, G, R, A bytes in one word.
    struct Entry {
        agg::rgba8 rgba;
        std::uint32_t packed;
    };

  private:
    enum class Kind { Solid, Linear, Radial, Focal, Bitmap };

    bool prepareBitmap(const FillStyle& style, const Matrix& toPixels, const ColorTransform& cx,
                       const BitmapSource& bitmaps);
    void generateBitmap(std::uint32_t* out, int x, int y, unsigned len) const;
    void blendBitmap(std::uint8_t* row, int x, int y, unsigned len,
                     const std::uint8_t* covers) const;

    void buildTable(const Gradient& gradient, const ColorTransform& cx);
    template <SpreadMode Spread, class Sink>
    void walk(int x, int y, unsigned len, Sink&& sink) const;
    template <class Sink>
    void walkAny(int x, int y, unsigned len, Sink&& sink) const;
    template <class Sink>
    void walkPadRuns(std::int64_t t, std::int64_t dt, unsigned len, Sink&& sink) const;

    Kind kind_ = Kind::Solid;
    Entry color_{};
    SpreadMode spread_ = SpreadMode::Pad;
    double focal_ = 0;
    Matrix inverse_;  // device pixels to gradient square
    // Gradients only; kept once made, so a paint reused frame after frame allocates once.
    static constexpr std::size_t kSteps = 16;  // table entries per ramp entry
    static constexpr std::size_t kTableSize = 255 * kSteps + 1;
    std::unique_ptr<std::array<Entry, kTableSize>> table_;
    std::unique_ptr<BitmapPaint> bitmap_;        // bitmap fills only; kept once made, as table_
    mutable std::vector<std::uint32_t> colors_;  // a row of colours to blend
};

}  // namespace saver::swf
