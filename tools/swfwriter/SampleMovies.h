// Small test movies with exactly known content, for tests of the movie reader and player.
// All are SWF 8, uncompressed unless asked, at 12 fps, with a white background (255,255,255),
// unless their entry says otherwise.
//
//   solid   100x100 px, 1 frame: a red (255,0,0) square covering pixels 25..74 on both axes
//           (DefineShape, depth 1).
//   frames  200x100 px, 10 frames: a blue (0,0,255) 20x20 px square at depth 1 whose left edge
//           is at x = 20*i px in frame i (0-based), top at y = 40; frame labels "first" on
//           frame 0, "middle" on frame 5, "last" on frame 9.
//   stop    like frames, and frame 4 (the fifth frame) holds a stop action: playback halts
//           there with the square's left edge at x = 80.
//   sprite  100x100 px, 1 root frame: a sprite at depth 1, moved to (25,25) px, whose own
//           4-frame timeline shows a 50x50 px square in red, green, blue, then yellow
//           (255,255,0), one colour per frame, and loops.
//   shapes  200x200 px, 1 frame: a linear-gradient (red to blue, left to right) square at
//           (10..90, 10..90) with a 4 px black stroke (DefineShape2), a radial-gradient circle
//           of radius 40 centred at (150,50) (DefineShape3), a half-transparent green
//           (0,255,0,128) rounded square at (10..90, 110..190) (DefineShape3), and a solid
//           orange (255,128,0) circle at (150,150) radius 40 (DefineShape4, pad spread).
//   photo   400x300 px, 1 frame of bitmap fills (JPEG with alpha, JPEG with shared tables,
//           JPEG behind stray markers); see PhotoMovie.h.
//   clock   400x300 px, 2 frames: static text in an embedded font and a device-font
//           text field showing the time a script writes each frame; see ClockMovie.h.
//   stream  100x100 px, 24 frames: a green 20x20 px square moving right 3 px a frame and a
//           stream sound, 44.1 kHz 16-bit stereo, kStreamFramesPerBlock sample frames per
//           block (one frame's time at 12 fps); sample frame i of the movie is StreamMark(i),
//           never silent and different for every i of the movie.
//   toneclock 100x100 px, kClockFrames frames: frame f is a stage-filling square of colour
//           (5 * f, 0, 128), under a 440 Hz stream tone (22.05 kHz 16-bit mono).
//   effects 560x320 px, 96 frames at 24 fps: a morph shape with a drop shadow, a glowing
//           ball, a blurred square; see EffectsMovie.h.
//   scriptclock 560x320 px, 2 frames at 24 fps: a dial whose hands the script draws from
//           Date, sparks made with duplicateMovieClip, the time in an embedded font and the
//           date in a device font; see ScriptClockMovie.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace saver::swfwriter {

std::vector<std::string> SampleNames();

// The sample's bytes; nothing for an unknown name.
inline constexpr int kStreamFrames = 24;
inline constexpr int kStreamFramesPerBlock = 3675;
inline constexpr int kClockFrames = 48;
// The left and right sample of sample frame i of the stream sample.
std::pair<std::int16_t, std::int16_t> StreamMark(std::uint32_t i);

std::optional<std::vector<std::uint8_t>> BuildSample(std::string_view name, bool compress = false);

}  // namespace saver::swfwriter
