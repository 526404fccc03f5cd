// The "clock" sample: static text in an embedded font and a device-font text field that a
// script fills with the time of day.
//
//   clock  400x300 px, 2 frames at 12 fps, looping, white background:
//          depth 1: static text "CLOCK" (DefineText2) in red (200,0,0), 60 px high, in an
//                   embedded block-letter font (DefineFont2 "Blocks", 5x7 cells), starting at
//                   x = 40 px on the baseline y = 100 px (letters span about 40..370 x 45..100);
//          depth 2: a text field (DefineEditText) at (40..360, 140..220) px in the device font
//                   "_sans" (a DefineFont2 without glyphs), 48 px blue (0,0,200) text,
//                   centred, tied to the variable `clock`;
//          frame 1's script sets clock = hours + ":" + minutes + ":" + seconds of the time of
//          day (UTC) from new Date().getTime().
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swfwriter {

std::vector<std::uint8_t> BuildClockMovie(bool compress);

}  // namespace saver::swfwriter
