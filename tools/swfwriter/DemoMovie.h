// The demo movie: a dark gradient backdrop, a glowing radial-gradient ball made of curves that
// circles the stage and pulses, a stroked star that turns, and a translucent rounded square
// that turns and fades. Every motion is periodic over the frame count and the movie has no
// stop action, so it plays through and loops without a jump; with `music` a tune plays along.
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swfwriter {

struct DemoOptions {
    int width = 800;  // pixels
    int height = 600;
    double frameRate = 30;
    int frames = 120;
    bool compress = false;
    // A stream of music (a phrase of soft sine notes, 22.05 kHz mono PCM) that spans the frames
    // exactly, so it loops with the movie.
    bool music = false;
};

// The movie's bytes; options outside 16..4000 pixels, 1..65535 frames or 1..120 fps throw
// std::invalid_argument.
std::vector<std::uint8_t> BuildDemoMovie(const DemoOptions& options);

}  // namespace saver::swfwriter
