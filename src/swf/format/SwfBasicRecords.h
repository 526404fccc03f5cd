// Readers of the SWF file format's basic records: RGB, RGBA, RECT, MATRIX, CXFORM and
// CXFORMWITHALPHA. Each starts at the next byte boundary and leaves the reader just after its
// last bit field (the caller's next byte read realigns).
//
// Failure: SwfError from the reader when the record runs past the end of its span.
#pragma once

#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

Rgba ReadRgb(SwfBitReader& in);
Rgba ReadRgba(SwfBitReader& in);
Rect ReadRect(SwfBitReader& in);
// Scale and rotate/skew terms are 16.16 fixed point; the translation is in twips.
Matrix ReadMatrix(SwfBitReader& in);
// Multiply terms are 8.8 fixed point (mul = term / 256), add terms are channel units. CXFORM
// (withAlpha false) leaves alpha untouched.
ColorTransform ReadColorTransform(SwfBitReader& in, bool withAlpha);

}  // namespace saver::swf
