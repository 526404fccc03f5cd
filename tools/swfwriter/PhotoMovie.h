// The "photo" sample: a movie whose pictures are bitmaps, as slide shows are made.
//
//   photo  400x300 px, 1 frame, white background:
//          depth 1: a 200x150 px landscape (sky, sun, hills) whose alpha fades out towards an
//                   oval edge, stored as DefineBitsJPEG3, filling a clipped, smoothed bitmap
//                   rectangle scaled 1.5 at (50,40) px;
//          depth 2: a 16x16 px chequered tile stored as JPEGTables + DefineBits, repeating and
//                   not smoothed, scaled 2 and turned 0.3 rad, in a strip at (0..400, 250..290);
//          depth 3: a 64x48 px picture stored as DefineBitsJPEG2 behind a stray end/start-of-
//                   image pair, at scale 1 on whole pixels at (8,8) px (drawn pixel for pixel).
#pragma once

#include <cstdint>
#include <vector>

#include "JpegEncoder.h"

namespace saver::swfwriter {

// The procedural landscape of the photo sample at any size; `vignette` fades the alpha out
// towards an oval edge.
RgbaImage LandscapePicture(int width, int height, bool vignette);

std::vector<std::uint8_t> BuildPhotoMovie(bool compress);

}  // namespace saver::swfwriter
