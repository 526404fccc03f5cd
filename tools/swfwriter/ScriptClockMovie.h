// The "scriptclock" sample: a clock that its script draws from the Date object every frame,
// with sparks that the script makes by duplicating a clip.
//
//   scriptclock  560x320 px, 2 frames at 24 fps, looping, background (16,20,40); both frames
//       run the same script, so it runs every frame:
//       depth 1: the dial, a light disc (radial gradient, near (236,238,244) in the middle)
//                of radius 120 px centred on (160,160) with a (90,100,150) ring;
//       depth 2: twelve hour marks, discs of (40,48,80);
//       depth 10: the empty clip "hands" at (160,160): each frame the script clears it and
//                draws the hour hand (8 px), the minute hand (5 px) in (30,36,64) and the
//                second hand (2 px, sweeping with the milliseconds) in (210,30,30) with the
//                drawing API (clear, lineStyle, moveTo, lineTo);
//       depth 20: the clip "spark", off the stage: a glowing dot that flies 70 px outwards
//                and fades over 18 frames, then removes its dot and stops;
//       depths 100..139: copies of "spark" (duplicateMovieClip "s0".."s39", one new copy a
//                frame at a random depth of the 40, replacing the copy there), set at the
//                tip of the second hand, turned a random 0..359 degrees;
//       depth 40: a text field (DefineEditText, no selection) at (310..550, 104..160) px in
//                the embedded font "Digits" (DefineFont3: block digits, ':' and '.'),
//                44 px, amber (255,196,60), tied to `time` = "H:MM:SS" of the local time;
//       depth 41: a text field at (310..550, 186..216) px in the device font "_sans", 20 px,
//                (200,210,235), tied to `date` = "D.M.YYYY".
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swfwriter {

std::vector<std::uint8_t> BuildScriptClockMovie(bool compress);

}  // namespace saver::swfwriter
