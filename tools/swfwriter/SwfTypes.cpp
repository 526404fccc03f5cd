#include "SwfTypes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace saver::swfwriter {

Matrix Matrix::Translate(std::int32_t x, std::int32_t y) {
    Matrix m;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::Transform(double scale, double radians, std::int32_t x, std::int32_t y) {
    Matrix m;
    const double c = std::cos(radians) * scale;
    const double s = std::sin(radians) * scale;
    m.scaleX = c;
    m.rotateSkew0 = s;
    m.rotateSkew1 = -s;
    m.scaleY = c;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::GradientBox(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           double radians) {
    // The gradient square is 32768 twips wide; scale it to the box, turn, then centre it.
    const double sx = width / 32768.0;
    const double sy = height / 32768.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    Matrix m;
    m.scaleX = sx * c;
    m.rotateSkew0 = sx * s;
    m.rotateSkew1 = -sy * s;
    m.scaleY = sy * c;
    m.translateX = x + width / 2;
    m.translateY = y + height / 2;
    return m;
}

ColorTransform ColorTransform::Alpha(double alpha) {
    ColorTransform t;
    t.multA = static_cast<std::int16_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 256.0));
    return t;
}

bool ColorTransform::HasMult() const {
    return multR != 256 || multG != 256 || multB != 256 || multA != 256;
}

bool ColorTransform::HasAdd() const {
    return addR != 0 || addG != 0 || addB != 0 || addA != 0;
}

FillStyle FillStyle::Solid(Rgba color) {
    FillStyle f;
    f.color = color;
    return f;
}

FillStyle FillStyle::Linear(const Matrix& matrix, Gradient gradient) {
    FillStyle f;
    f.type = FillType::LinearGradient;
    f.gradientMatrix = matrix;
    f.gradient = std::move(gradient);
    return f;
}

FillStyle FillStyle::Radial(const Matrix& matrix, Gradient gradient) {
    FillStyle f = Linear(matrix, std::move(gradient));
    f.type = FillType::RadialGradient;
    return f;
}

FillStyle FillStyle::Bitmap(std::uint16_t id, const Matrix& matrix, bool clipped, bool smoothed) {
    FillStyle f;
    f.type = static_cast<FillType>(0x40 | (clipped ? 0x01 : 0) | (smoothed ? 0 : 0x02));
    f.gradientMatrix = matrix;
    f.bitmapId = id;
    return f;
}

}  // namespace saver::swfwriter
