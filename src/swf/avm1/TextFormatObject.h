// TextFormat objects for scripts: the TextFormat class (new TextFormat(font, size, color, bold,
// italic, underline, url, target, align, leftMargin, rightMargin, indent, leading)) and the
// conversions between its objects and the player's TextFormat. An object's property that is
// null (or undefined) leaves that part of a format alone; a format read from a stretch of text
// that mixes values gives null for them.
//
// Besides the constructor's arguments an object carries kerning and letterSpacing. Units as
// scripts see them: sizes, margins, indents, leading, letter spacing and tab stops in pixels,
// colours as 0xRRGGBB numbers, align as "left", "right", "center" or "justify".
//
// Failure: none; values of the wrong type are converted as the player converts them.
#pragma once

#include <vector>

#include "swf/avm1/Interpreter.h"
#include "swf/player/TextFormat.h"

namespace saver::swf::avm1 {

void InstallTextFormatBuiltins(Interpreter& vm);

// A new TextFormat object holding `formats`' common values (null where they differ).
Object* NewTextFormatObject(Interpreter& vm, const std::vector<const TextFormat*>& formats);
// Applies the non-null properties of `object` to `format`.
void ApplyTextFormatObject(Interpreter& vm, Object* object, TextFormat& format);

}  // namespace saver::swf::avm1
