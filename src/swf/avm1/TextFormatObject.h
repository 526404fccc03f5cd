// TextFormat objects for scripts: the TextFormat class (new TextFormat(font, size, color, bold,
// italic, underline, url, target, align, leftMargin, rightMargin, indent, leading)) and the
// conversions between its objects and the player's TextFormat.
//
// An object keeps its values in its `textFormat` payload; the properties are getter/setter
// pairs on TextFormat.prototype, put there when the first TextFormat object is made (by the
// constructor or by a text field handing out its format), as the player does. A setter converts
// as the player converts: sizes, margins, indents and leading to whole numbers (SWF 8 rounds
// half to even, older movies truncate; out of range gives -2147483648), colours to unsigned
// 32-bit numbers, align and display to their names (an unknown align is ignored). null or
// undefined clears a property to null, which leaves that part of a format alone; a format read
// from a stretch of text that mixes values gives null for them.
//
// Besides the constructor's arguments an object carries blockIndent, bullet, tabStops,
// display and (SWF 8) kerning and letterSpacing. Units as scripts see them: sizes, margins,
// indents, leading, letter spacing and tab stops in pixels, colours as 0xRRGGBB numbers.
//
// Failure: none; values of the wrong type are converted as the player converts them.
#pragma once

#include <optional>
#include <vector>

#include "swf/avm1/Interpreter.h"
#include "swf/player/TextFormat.h"

namespace saver::swf::avm1 {

// The values of one TextFormat object, as its getters give them (null when unset); only
// primitives, so the collector has nothing to follow.
struct TextFormatData {
    std::vector<Value> values;                    // one per property, in the table's order
    std::optional<std::vector<double>> tabStops;  // pixels
};

void InstallTextFormatBuiltins(Interpreter& vm);

// A new TextFormat object holding `formats`' common values (null where they differ).
Object* NewTextFormatObject(Interpreter& vm, const std::vector<const TextFormat*>& formats);
// Applies the non-null properties of `object` (a TextFormat object; anything else changes
// nothing) to `format`.
void ApplyTextFormatObject(Interpreter& vm, Object* object, TextFormat& format);

}  // namespace saver::swf::avm1
