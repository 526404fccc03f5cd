// Encoders of the SWF file format's basic records (RECT, MATRIX, CXFORM, colours, gradients,
// fill and line style arrays) into a BitWriter, each with the fewest bits the values need.
// Records that a shape version cannot express (alpha below 255 in DefineShape/DefineShape2,
// spread or interpolation modes before DefineShape4, too many styles or gradient stops)
// throw std::invalid_argument instead of writing a file that means something else.
#pragma once

#include <cstdint>
#include <vector>

#include "BitWriter.h"
#include "SwfTypes.h"

namespace saver::swfwriter {

// 16.16 fixed point, rounded to nearest; out-of-range values throw std::out_of_range.
std::int32_t ToFixed16(double value);

// RECT: Nbits UB[5], then Xmin, Xmax, Ymin, Ymax as SB[Nbits]; ends byte-aligned.
void WriteRect(BitWriter& w, const Rect& rect);

// MATRIX: optional scale and rotate pairs (FB, 16.16), translation (SB, twips); ends
// byte-aligned. Scale 1.0 and rotation 0 are left out.
void WriteMatrix(BitWriter& w, const Matrix& matrix);

// CXFORM (withAlpha false) or CXFORMWITHALPHA; ends byte-aligned.
void WriteColorTransform(BitWriter& w, const ColorTransform& cx, bool withAlpha);

// RGB or RGBA; as RGB a colour that is not opaque throws std::invalid_argument.
void WriteColor(BitWriter& w, Rgba color, bool withAlpha);

void WriteGradient(BitWriter& w, const Gradient& gradient, ShapeVersion version);
void WriteFillStyle(BitWriter& w, const FillStyle& fill, ShapeVersion version);
// LINESTYLE, or LINESTYLE2 (round caps and joins, scaling strokes) for DefineShape4.
void WriteLineStyle(BitWriter& w, const LineStyle& line, ShapeVersion version);

// FILLSTYLEARRAY / LINESTYLEARRAY with their counts (the 0xFF extended count from
// DefineShape2 on).
void WriteFillStyles(BitWriter& w, const std::vector<FillStyle>& fills, ShapeVersion version);
void WriteLineStyles(BitWriter& w, const std::vector<LineStyle>& lines, ShapeVersion version);

}  // namespace saver::swfwriter
