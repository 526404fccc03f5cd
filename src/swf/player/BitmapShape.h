// BitmapShape: a bitmap shown as a shape: a rectangle of `width` x `height` pixels (from the
// origin, in twips) filled with the bitmap `bitmapId` at one pixel per pixel, its edges
// clipped (never repeated), smoothed only when `smooth` asks for it. This is how the player
// draws attached bitmaps and a bitmap drawn into another.
//
// Failure: none; a bitmap that is missing when drawn paints nothing.
#pragma once

#include <cstdint>

#include "swf/format/SwfMovie.h"

namespace saver::swf {

Shape BitmapShape(std::uint32_t bitmapId, int width, int height, bool smooth);

}  // namespace saver::swf
