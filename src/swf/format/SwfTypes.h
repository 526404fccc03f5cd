// Basic value types of the SWF file format, in the units the file uses: coordinates in twips
// (1/20 pixel), colours as 8-bit RGBA, matrices and colour transforms as decoded numbers.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace saver::swf {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// A point in twips.
struct Point {
    std::int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// A rectangle in twips (RECT of the file format).
struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool operator==(const Rect&) const = default;
    std::int32_t width() const { return xMax - xMin; }
    std::int32_t height() const { return yMax - yMin; }
};

// An affine transform (MATRIX): x' = a*x + c*y + tx, y' = b*x + d*y + ty, with a = ScaleX,
// b = RotateSkew0, c = RotateSkew1, d = ScaleY and the translation in twips.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const Matrix&) const = default;

    // The transform that applies `inner` first, then this one.
    Matrix operator*(const Matrix& inner) const {
        return {a * inner.a + c * inner.b,        b * inner.a + d * inner.b,
                a * inner.c + c * inner.d,        b * inner.c + d * inner.d,
                a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
    void apply(double x, double y, double& outX, double& outY) const {
        outX = a * x + c * y + tx;
        outY = b * x + d * y + ty;
    }
};

// A colour transform (CXFORM / CXFORMWITHALPHA): channel' = channel * mul + add, clamped to
// 0..255; `add` is in channel units (-255..255 after decoding).
struct ColorTransform {
    double mulR = 1, mulG = 1, mulB = 1, mulA = 1;
    double addR = 0, addG = 0, addB = 0, addA = 0;
    bool operator==(const ColorTransform&) const = default;

    // The transform that applies `inner` first, then this one.
    ColorTransform operator*(const ColorTransform& inner) const {
        return {mulR * inner.mulR,        mulG * inner.mulG,        mulB * inner.mulB,
                mulA * inner.mulA,        inner.addR * mulR + addR, inner.addG * mulG + addG,
                inner.addB * mulB + addB, inner.addA * mulA + addA};
    }
    Rgba apply(Rgba c) const {
        return {channel(c.r, mulR, addR), channel(c.g, mulG, addG), channel(c.b, mulB, addB),
                channel(c.a, mulA, addA)};
    }

  private:
    static std::uint8_t channel(std::uint8_t v, double mul, double add) {
        const double out = std::floor(v * mul + add);
        return static_cast<std::uint8_t>(std::clamp(out, 0.0, 255.0));
    }
};

}  // namespace saver::swf
