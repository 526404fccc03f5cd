#include "config/ColorChoices.h"

namespace saver {

std::vector<NamedColor> FlashColorChoices(std::int32_t current) {
    std::vector<NamedColor> choices = {
        {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
    };
    if (ColorIndexOf(choices, current) < 0) choices.push_back({"Custom", current});
    return choices;
}

int ColorIndexOf(const std::vector<NamedColor>& choices, std::int32_t value) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].value == value) return static_cast<int>(i);
    return -1;
}

}  // namespace saver
