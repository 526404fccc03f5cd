// DeviceScaledLayout: a device-font text field drawn at another scale than one field pixel to
// one view pixel. The system draws device text at the size it has on the screen, hinted at
// that size: the text is laid out again in view pixels, its font sizes taken by the field's
// vertical scale (a field stretched sideways keeps its glyphs unstretched), its box, gutter,
// margins and indents by the field's horizontal and vertical scales. Lines break where they
// break at that size.
//
// Failure: none; a scale that is not positive and finite gives the layout it was given.
#pragma once

#include "swf/format/SwfMovie.h"
#include "swf/player/EditTextLayout.h"
#include "swf/player/FontSource.h"
#include "swf/player/TextFormat.h"

namespace saver::swf {

// Whether a field laid out as `layout` and placed by `matrix` (with `viewScaleX`/`viewScaleY`
// view pixels a stage pixel) draws its device text at another size than its own: the field
// uses device fonts, neither rotates nor skews, and its scale on the view is not one.
bool NeedsDeviceScale(const TextFieldBox& box, const Matrix& matrix, double viewScaleX,
                      double viewScaleY);

// `unscaled`: the field's layout at its own scale (its bounds after auto-size, its scroll);
// `scaleX`/`scaleY`: view pixels a field pixel. The result is in twips of view pixels from
// the field's origin, with deviceScaleX/Y set to the scales.
EditTextLayout DeviceScaledLayout(const EditTextLayout& unscaled, const TextFieldBox& box,
                                  const StyledText& text, const Movie& movie,
                                  const FontSource* fonts, double scaleX, double scaleY);

}  // namespace saver::swf
