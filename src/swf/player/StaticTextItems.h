// AppendStaticText: lays out a static text (DefineText, DefineText2) as one render item per
// glyph: the glyph's outline from its font, scaled from the font's EM square to the record's
// text height, placed at the record's pen position, through the text matrix and `matrix`, and
// painted in the record's colour (then `color`) as a solid fill.
//
// Record state carries over: a record without a font, colour or offset keeps the previous one;
// x continues after the previous glyph's advance; colour starts opaque black. Glyphs of an
// unknown font or past the end of their font are skipped (their advance still moves the pen).
//
// A font whose glyphs have no outlines (device text: the movie keeps only the code table and
// advances) draws its characters with the system's face of that name from `fonts`, scaled from
// that face's EM square; without `fonts` it draws nothing.
//
// The items of the movie's own glyph outlines carry `source` (see RenderItem); those of device
// faces do not.
//
// Failure: none; nothing is appended once `out` holds `maxItems` items.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/FontSource.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

void AppendStaticText(const StaticText& text, const Movie& movie, const Matrix& matrix,
                      const ColorTransform& color, ClipRole role, std::size_t maxItems,
                      std::vector<RenderItem>& out, const FontSource* fonts = nullptr,
                      std::uint64_t source = 0);

}  // namespace saver::swf
