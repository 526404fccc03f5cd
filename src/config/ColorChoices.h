// The colours offered by FlashColorCb, each with the name the list shows beside its swatch.
// Colour values are Windows colour numbers (0x00BBGGRR), as FlashColor stores them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace saver {

struct NamedColor {
    std::string name;
    std::int32_t value;
};

// The sixteen standard colours, black first, plus, when `current` is none of them, one more
// item "Custom" holding `current`, so a colour chosen in the builder is shown and kept by OK.
std::vector<NamedColor> FlashColorChoices(std::int32_t current);
// Index of the first item with that value; -1 when none has it.
int ColorIndexOf(const std::vector<NamedColor>& choices, std::int32_t value);

}  // namespace saver
