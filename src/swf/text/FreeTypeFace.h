// FreeTypeFace: one face of a font file read through FreeType (the host only), as a FontFace.
// Outlines and advances come unscaled from the font's own units; ascent and descent from the
// OS/2 table's Windows metrics when the font has them, as GDI reports them.
//
// Text fields ask for glyphs at their pixel size (glyphAt); how those are made depends on the
// face's fitting:
//   Hinted         the classic TrueType hinter's outline at that size (stems and heights on
//                  whole pixels, curves as the chords the system's rasteriser draws), and the
//                  hinted advance, a whole number of pixels. The system's device text.
//   OutlineScaled  the plain outline in the font's units (scaled to the size when drawn), and
//                  the plain advance scaled to that size,
//                  cut to whole twips and rounded to the nearest pixel: how a player that draws
//                  device text as shapes (with no hinting) places it.
//
// Failure: a file FreeType cannot open gives a face with no glyphs and no metrics.
#pragma once

#include <memory>
#include <string>

#include "swf/text/CachedFontFace.h"

namespace saver::swf {

enum class GlyphFitting { Hinted, OutlineScaled };

// The FreeType engine faces share; faces keep it alive.
class FreeTypeLibrary;
std::shared_ptr<FreeTypeLibrary> OpenFreeTypeLibrary();

std::shared_ptr<const FontFace> MakeFreeTypeFace(std::shared_ptr<FreeTypeLibrary> library,
                                                 const std::string& path, GlyphFitting fitting);

}  // namespace saver::swf
