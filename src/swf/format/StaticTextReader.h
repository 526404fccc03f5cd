// StaticTextReader: decodes the body of a DefineText or DefineText2 tag (and of DefineEditText,
// below) into a StaticText: its
// bounds, text matrix and text records (font, colour as RGB or RGBA, offsets, height and the
// glyph entries with their advances). The record list ends at a zero byte or, as some tools
// write it, where the tag ends.
//
// Failure: SwfError for a record that runs past the tag or a text that outgrows the budget.
// Glyph indexes are kept as stored; whether they exist in the font is the drawing's concern.
#pragma once

#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfMovie.h"

namespace saver::swf {

// `version` 1 for DefineText, 2 for DefineText2.
StaticText ReadStaticText(SwfBitReader& body, int version, DecodeBudget& budget);

// The body of a DefineEditText tag: bounds, flags and the fields they announce (font, height,
// colour, maximum length, layout), the variable name and the initial text.
// Failure: SwfError for a field or string that runs past the tag.
EditText ReadEditText(SwfBitReader& body, DecodeBudget& budget);

}  // namespace saver::swf
