// EditTextLayout: the picture of a text field (DefineEditText) as it first appears: its frame
// (white background and one-pixel black border, when the field has a border) and its initial
// plain text drawn with the embedded font's outlines, laid out as a text field lays out text:
// a 2-pixel gutter inside the bounds, left and right margins, the indent on the first line of
// each paragraph, lines ascent + descent + leading apart, left, right or centred alignment
// (justified lines are drawn left-aligned), word wrap at spaces, lines broken at CR and LF,
// one '*' per character in password fields.
//
// Left out for now, drawing the frame only: HTML text, fields with device fonts (no outlines),
// text set by scripts. Text is decoded as UTF-8 from SWF 6 on, as Latin-1 before; characters
// the font has no glyph for take no room.
//
// Failure: none; a missing or glyph-less font gives a field without text.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

struct PlacedGlyph {
    const Shape* glyph = nullptr;  // owned by a font of the movie
    Matrix matrix;                 // glyph units to the field's space
};

struct EditTextLayout {
    std::optional<Shape> frame;  // background and border
    Shape clip;                  // the bounds: text is clipped to them
    std::vector<PlacedGlyph> glyphs;
    Rgba color;
};

EditTextLayout LayOutEditText(const EditText& field, const Movie& movie);

// Appends the field's picture placed by `matrix`: the frame, then the glyphs in the field's
// colour (then `color`) between a BeginMask / Mask (the bounds) and an Unmask. The text is left
// out when it does not fit under `maxItems` with its mask; the frame when nothing fits.
void AppendEditText(const EditTextLayout& layout, const Matrix& matrix, const ColorTransform& color,
                    std::size_t maxItems, std::vector<RenderItem>& out);

}  // namespace saver::swf
