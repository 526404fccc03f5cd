// The "effects" sample: a morph shape and the three common filters.
//
//   effects  560x320 px, 96 frames at 24 fps (4 s), looping, background (24,20,36):
//       depth 1: a morph shape (DefineMorphShape) centred on (160,160): a 16-cornered disc of
//                radius 90 px in orange (255,150,40) at ratio 0 that becomes an eight-pointed
//                star (points 110 px, notches 48 px out) in violet (170,70,230) at ratio
//                65535; the ratio goes there and back once a loop (0 at frames 0 and 96,
//                65535 at frame 48), with a black drop shadow (blur 10 px, 12 px down-right);
//       depth 2: a ball of (60,200,255), radius 45 px, at (400,90) with a white-blue glow
//                (90,170,255) of 18 px, strength 2;
//       depth 3: a square of yellow (250,220,40) and red (230,40,40) stripes, 100x100 px,
//                centred on (400,230), turning a quarter turn a loop, blurred with a blur
//                that grows from 0 to 12 px and back (PlaceObject3 every frame).
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swfwriter {

inline constexpr int kEffectsFrames = 96;

std::vector<std::uint8_t> BuildEffectsMovie(bool compress);

}  // namespace saver::swfwriter
