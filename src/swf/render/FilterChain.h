// FilterChain: applies a display object's filter list to the picture of the object, a
// premultiplied BGRA image already grown by FilterChain::growth on every side.
//
// Blur blurs all four channels. Drop shadow and glow blur the object's alpha, colour it and
// put it outside the object (or inside it: inner), under it, alone (knockout: the object cut
// out), or without the object (not composite source). Bevel lights the edges facing the angle
// with the highlight colour and the others with the shadow colour, inside, outside or both
// (on top). The gradient kinds take their colours from the gradient by the blurred alpha
// (glow) or by the difference of the two offset blurs (bevel, 128 = flat). Colour matrix works
// on unpremultiplied colour; convolution too, reading outside the image as the edge pixel
// (clamp) or the filter's colour.
//
// Filter sizes are in stage pixels: they grow with the stage's scale, not the object's.
//
// Failure: none; a filter with an empty kernel, one larger than 15 x 15, a zero divisor or no
// gradient stops is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/format/Filter.h"
#include "swf/render/BgraImage.h"
#include "swf/render/BoxBlur.h"

namespace saver::swf {

// Pixels added on each side of an object's bounds.
struct FilterMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class FilterChain {
  public:
    // `scaleX`, `scaleY`: stage pixels per SWF pixel along each axis.
    static FilterMargins growth(const std::vector<Filter>& filters, double scaleX, double scaleY);

    void apply(const std::vector<Filter>& filters, double scaleX, double scaleY, BgraImage& image);

  private:
    void blurAll(const Filter& f, BgraImage& image);
    void shadow(const Filter& f, BgraImage& image);
    void bevel(const Filter& f, BgraImage& image);
    void colorMatrix(const Filter& f, BgraImage& image);
    void convolution(const Filter& f, BgraImage& image);
    void blurredAlpha(const Filter& f, const BgraImage& image, int marginX, int marginY);
    // The padded blurred alpha at pixel (x, y) of the image; x, y at most a margin outside.
    const std::uint8_t* paddedAt(int x, int y) const {
        return padded_.data() + static_cast<std::ptrdiff_t>(y + marginY_) * paddedWidth_ + x +
               marginX_;
    }
    std::uint8_t* paddedAt(int x, int y) {
        return padded_.data() + static_cast<std::ptrdiff_t>(y + marginY_) * paddedWidth_ + x +
               marginX_;
    }

    BoxBlur blur_;
    std::vector<std::uint8_t> padded_;  // the blurred alpha with clear margins (blurredAlpha)
    int marginX_ = 0, marginY_ = 0, paddedWidth_ = 0;
    std::vector<float> unpremultiplied_;  // convolution's padded source rows (a ring)
    std::vector<float> sums_;             // convolution's sums for one row
};

// The filter with its sizes in target pixels: blur sizes and distance scaled by the stage.
Filter ScaledFilter(const Filter& f, double scaleX, double scaleY);

}  // namespace saver::swf
