// TextFieldOptions: what a text field keeps for scripts besides its box and its text: whether
// it takes input and can be selected, its character limit and the characters it accepts, its
// place in the tab order, white space condensing for HTML, wheel scrolling, the settings of
// the advanced anti-aliasing, and the selection. Drawing does not use them yet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace saver::swf {

struct TextFieldOptions {
    bool editable = false;  // "input" rather than "dynamic"
    bool selectable = true;
    std::int32_t maxChars = 0;  // 0: no limit
    std::optional<std::string> restrict;
    std::optional<std::int32_t> tabIndex;
    bool condenseWhite = false;
    bool mouseWheelEnabled = true;
    bool advancedAntiAlias = false;
    std::string gridFitType = "pixel";  // "none", "pixel" or "subpixel"
    float thickness = 0, sharpness = 0;
    // The selection as character indices (equal: the caret; -1: none yet).
    int selectionBegin = -1, selectionEnd = -1;
};

}  // namespace saver::swf
