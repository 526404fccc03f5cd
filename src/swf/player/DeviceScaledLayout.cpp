// The scaled layout reuses the ordinary one on a box and text that are scaled copies: the
// bounds (already auto-sized, so the box keeps the size scripts see), gutter, margins, indents
// and tab stops by the scale along their axis, font sizes, leading and underlines by the
// vertical one. Letter spacing follows the horizontal scale, as the advances it adds to do.
#include "swf/player/DeviceScaledLayout.h"

#include <cmath>

namespace saver::swf {

namespace {

// Skew the system still draws as none (see AppendEditText).
constexpr double kUnnoticedSkew = 0.006;
constexpr double kSameScale = 1e-3;

std::int32_t Scaled(std::int32_t v, double scale) {
    return static_cast<std::int32_t>(std::lround(v * scale));
}

TextFormat ScaledFormat(TextFormat f, double sx, double sy) {
    f.size *= sy;
    f.leading *= sy;
    f.letterSpacing *= sx;
    f.leftMargin *= sx;
    f.rightMargin *= sx;
    f.indent *= sx;
    f.blockIndent *= sx;
    for (double& stop : f.tabStops) stop *= sx;
    return f;
}

}  // namespace

bool NeedsDeviceScale(const TextFieldBox& box, const Matrix& matrix, double viewScaleX,
                      double viewScaleY) {
    if (box.embedFonts || std::abs(matrix.b) >= kUnnoticedSkew ||
        std::abs(matrix.c) >= kUnnoticedSkew)
        return false;
    const double sx = matrix.a * viewScaleX, sy = matrix.d * viewScaleY;
    if (!(sx > 0) || !(sy > 0) || !std::isfinite(sx) || !std::isfinite(sy)) return false;
    return std::abs(sx - 1) >= kSameScale || std::abs(sy - 1) >= kSameScale;
}

EditTextLayout DeviceScaledLayout(const EditTextLayout& unscaled, const TextFieldBox& box,
                                  const StyledText& text, const Movie& movie,
                                  const FontSource* fonts, double scaleX, double scaleY) {
    if (!(scaleX > 0) || !(scaleY > 0) || !std::isfinite(scaleX) || !std::isfinite(scaleY))
        return unscaled;
    TextFieldBox scaledBox = box;
    const Rect& r = unscaled.bounds;
    scaledBox.bounds = {Scaled(r.xMin, scaleX), Scaled(r.xMax, scaleX), Scaled(r.yMin, scaleY),
                        Scaled(r.yMax, scaleY)};
    scaledBox.autoSize = AutoSize::None;
    scaledBox.gutterX = box.gutterX * scaleX;
    scaledBox.gutterY = box.gutterY * scaleY;
    StyledText scaledText = text;
    for (TextRun& run : scaledText) run.format = ScaledFormat(run.format, scaleX, scaleY);
    EditTextLayout out = LayOutTextField(scaledBox, scaledText, movie, fonts);
    out.scrollX = unscaled.scrollX * scaleX;
    out.scrollY = unscaled.scrollY * scaleY;
    out.deviceScaleX = scaleX;
    out.deviceScaleY = scaleY;
    return out;
}

}  // namespace saver::swf
