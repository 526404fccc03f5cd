// One entry of a placed object's filter list (PlaceObject3, SWF 8), as the writer takes it:
// sizes and distances in pixels, angles in radians, colours as RGBA. Only the kinds the
// samples use are written: drop shadow, blur and glow.
//
// WriteFilterList throws std::invalid_argument for more than 255 filters or a pass count
// outside 1..31, std::out_of_range for a size the 16.16 / 8.8 fields cannot hold.
#pragma once

#include <cstdint>
#include <vector>

#include "BitWriter.h"
#include "SwfTypes.h"

namespace saver::swfwriter {

struct FilterSpec {
    enum class Kind : std::uint8_t { DropShadow = 0, Blur = 1, Glow = 2 } kind = Kind::Blur;
    double blurX = 4, blurY = 4;  // pixels
    int passes = 1;               // 1 low, 2 medium, 3 high quality
    Rgba color{0, 0, 0, 255};     // DropShadow, Glow
    double angle = 0.785398;      // DropShadow: radians, clockwise from the right
    double distance = 4;          // DropShadow: pixels
    double strength = 1;          // DropShadow, Glow
    bool inner = false, knockout = false;

    static FilterSpec DropShadow(Rgba color, double blur, double angle, double distance);
    static FilterSpec Blur(double blurX, double blurY, int passes);
    static FilterSpec Glow(Rgba color, double blur, double strength);
};

// FILTERLIST: the count byte and each FILTER record.
void WriteFilterList(BitWriter& w, const std::vector<FilterSpec>& filters);

}  // namespace saver::swfwriter
