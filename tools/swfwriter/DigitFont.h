// An embedded font of block digits for DefineFont3: "0".."9", ":" and "." drawn as 5x7 grids
// of squares (the colon and the full stop one cell wide), for scripted clocks that show the
// time in a font of their own. DefineFont3 keeps its glyphs in twentieths of the 1024-unit
// em square (20480 units to the em).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace saver::swfwriter {

// The DefineFont3 tag body: font `id` named `name`, with a layout (ascent 7 cells, descent 1
// cell, advances, bounds) and no kerning. Throws std::invalid_argument for a name longer than
// 255 bytes.
std::vector<std::uint8_t> DigitFont3(std::uint16_t id, const std::string& name);

}  // namespace saver::swfwriter
