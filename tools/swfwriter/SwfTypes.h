// Value types of the SWF file format as the writer takes them: coordinates in twips (1/20
// pixel), colours as 8-bit RGBA, matrices with real-valued scale and rotation (stored as 16.16
// fixed point), colour transforms in the file's own 8.8 fixed-point terms.
#pragma once

#include <cstdint>
#include <vector>

namespace saver::swfwriter {

inline constexpr std::int32_t kTwipsPerPixel = 20;

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool operator==(const Rect&) const = default;
};

// x' = scaleX * x + rotateSkew1 * y + translateX
// y' = rotateSkew0 * x + scaleY * y + translateY
struct Matrix {
    double scaleX = 1, scaleY = 1, rotateSkew0 = 0, rotateSkew1 = 0;
    std::int32_t translateX = 0, translateY = 0;

    static Matrix Translate(std::int32_t x, std::int32_t y);
    // Scales by `scale`, then turns by `radians` (clockwise on screen, y pointing down), then
    // moves to (x, y).
    static Matrix Transform(double scale, double radians, std::int32_t x, std::int32_t y);
    // The gradient matrix that maps the gradient square (-16384..16384 twips on each axis)
    // onto the box (x, y, width, height), turned by `radians` about the box centre.
    static Matrix GradientBox(std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height, double radians = 0);
};

// channel' = channel * mult / 256 + add, in 8.8 fixed point as the file stores it (256 = 1.0).
struct ColorTransform {
    std::int16_t multR = 256, multG = 256, multB = 256, multA = 256;
    std::int16_t addR = 0, addG = 0, addB = 0, addA = 0;

    // Only the alpha channel scaled, by `alpha` in 0..1.
    static ColorTransform Alpha(double alpha);
    bool HasMult() const;
    bool HasAdd() const;
};

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, Linear = 1 };

struct GradientStop {
    std::uint8_t ratio = 0;  // position along the gradient, 0..255
    Rgba color;
};

struct Gradient {
    std::vector<GradientStop> stops;
    // Only DefineShape4 may store anything but Pad / Normal.
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
};

enum class FillType : std::uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    NonSmoothedRepeatingBitmap = 0x42,
    NonSmoothedClippedBitmap = 0x43,
};

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;                  // Solid
    Matrix gradientMatrix;       // gradients, and bitmaps (bitmap pixels to twips)
    Gradient gradient;           // gradients
    std::uint16_t bitmapId = 0;  // bitmaps

    static FillStyle Solid(Rgba color);
    static FillStyle Linear(const Matrix& matrix, Gradient gradient);
    static FillStyle Radial(const Matrix& matrix, Gradient gradient);
    // `matrix` maps bitmap pixels to shape twips: scale 20 shows one bitmap pixel per pixel.
    static FillStyle Bitmap(std::uint16_t id, const Matrix& matrix, bool clipped, bool smoothed);
};

struct LineStyle {
    std::uint16_t width = 20;  // twips
    Rgba color;
};

// The shape definition tag to write; later versions add alpha (3), more styles and new style
// sets (2), and stroke details and gradient spread/interpolation (4, needs SWF 8).
enum class ShapeVersion : int { Shape1 = 1, Shape2 = 2, Shape3 = 3, Shape4 = 4 };

}  // namespace saver::swfwriter
