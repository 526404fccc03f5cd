// GlyphOutlineBuilder: turns a system font's glyph outline (contours of lines and quadratic or
// cubic curves, y growing upwards, in any unit) into a one-fill glyph Shape in EM units of
// kDeviceEmSquare with y growing downwards, as a DefineFont glyph is stored. Contours are
// closed; cubic curves are split into quadratic ones (the rasteriser draws quadratics only).
// The shape fills by the non-zero rule, as TrueType outlines are meant to be filled.
//
// Failure: none; calls before the first moveTo start a contour at the origin.
#pragma once

#include "swf/format/SwfMovie.h"
#include "swf/player/FontSource.h"

namespace saver::swf {

class GlyphOutlineBuilder {
  public:
    // `unitsPerEm`: the outline's units in one EM (FreeType's units_per_EM, GDI's em height).
    // `emSquare`: the units of the shape made (kDeviceEmSquare, or 20 to make twips of pixels).
    explicit GlyphOutlineBuilder(double unitsPerEm, double emSquare = kDeviceEmSquare);

    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void quadTo(double cx, double cy, double x, double y);
    // The curve as the straight chords the system's rasteriser draws a hinted glyph with
    // (`unitsPerPixel`: the outline's units in one pixel).
    void quadToChords(double cx, double cy, double x, double y, double unitsPerPixel);
    void cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
    // Closes the open contour and hands the shape over.
    Shape finish();

  private:
    Point map(double x, double y) const;
    void close();

    double scale_;
    Shape shape_;
    double x_ = 0, y_ = 0;  // current point, outline units
    double startX_ = 0, startY_ = 0;
    bool open_ = false;
};

}  // namespace saver::swf
