// ColorFilterSpans: the per-pixel steps of the colour matrix and convolution filters over
// premultiplied BGRA pixels, both on unpremultiplied colour in floats.
//
// ColorMatrixSpan: each pixel's R, G, B, A (unpremultiplied, 0..255) go through the 4 x 5
// matrix `m` (rows R, G, B, A; the fifth column an offset), each result clamped to 0..255,
// and the pixel is stored premultiplied again, rounded to the nearest level. SSE2 works four
// pixels at a time where four are left; the rest, pixel by pixel, gives the very same numbers.
//
// ConvolveSpan: for each of `n` pixels, the sum of `kx` x `ky` kernel weights times the
// unpremultiplied B, G, R, A floats of a padded source (`stride` floats a row), written to
// `sums` (four floats a pixel). The four channels are summed side by side in one register,
// in the order of the plain loop, so the sums are those of the scalar code.
//
// ConvolvedPixels: `n` pixels from their sums: each channel times `scale` plus `bias`,
// clamped to 0..255, the colours premultiplied by the alpha (the pixel's own with
// `preserveAlpha`) and rounded to the nearest level. Four channels at once in SSE2, operation
// for operation as the scalar code.
//
// Failure: none; a level that is not a number (from a matrix, kernel or divisor that is not
// finite) comes out 0, in every path.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace saver::swf {

void ColorMatrixSpan(const std::array<float, 20>& m, std::uint8_t* pixels, std::size_t n);

// `source` points at the first tap of the first pixel (the kernel's top left corner).
void ConvolveSpan(const float* source, std::size_t stride, const float* kernel, int kx, int ky,
                  float* sums, std::size_t n);

void ConvolvedPixels(const float* sums, float scale, float bias, bool preserveAlpha,
                     std::uint8_t* pixels, std::size_t n);

}  // namespace saver::swf
