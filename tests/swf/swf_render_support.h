// Shapes built by hand in pixel units for the renderer tests, and pixel readers.
#pragma once

#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/render/BgraImage.h"
#include "swf/render/RenderItem.h"
#include "swf/render/Renderer.h"

namespace saver::swf::test {

inline constexpr int kTwips = 20;
// Stage twips to pixels, no offset.
inline const Matrix kPixelStage{1.0 / kTwips, 0, 0, 1.0 / kTwips, 0, 0};
inline const Rgba kWhite{255, 255, 255, 255};
inline const Rgba kRed{255, 0, 0, 255};
inline const Rgba kBlue{0, 0, 255, 255};
inline const Rgba kBlack{0, 0, 0, 255};

inline Point Px(double x, double y) {
    return {static_cast<std::int32_t>(x * kTwips), static_cast<std::int32_t>(y * kTwips)};
}

inline FillStyle Solid(Rgba c) {
    FillStyle f;
    f.color = c;
    return f;
}

// A straight path through `points` (pixels) with the given styles.
inline ShapePath Polyline(std::vector<Point> points, std::uint32_t fill0, std::uint32_t fill1,
                          std::uint32_t line = 0) {
    ShapePath p;
    p.fill0 = fill0;
    p.fill1 = fill1;
    p.line = line;
    p.start = points.front();
    for (std::size_t i = 1; i < points.size(); ++i) p.edges.push_back({false, {}, points[i]});
    return p;
}

// The closed outline of a rectangle in pixels, clockwise on screen (or anticlockwise).
inline ShapePath Box(double x0, double y0, double x1, double y1, std::uint32_t fill0,
                     std::uint32_t fill1, bool clockwise = true, std::uint32_t line = 0) {
    std::vector<Point> pts{Px(x0, y0), Px(x1, y0), Px(x1, y1), Px(x0, y1), Px(x0, y0)};
    if (!clockwise) pts = {Px(x0, y0), Px(x0, y1), Px(x1, y1), Px(x1, y0), Px(x0, y0)};
    return Polyline(pts, fill0, fill1, line);
}

// A solid square in pixels (fill 1 inside), its bounds set as a movie's shape has them.
inline Shape Square(double x0, double y0, double x1, double y1, Rgba color) {
    Shape s;
    s.fills = {Solid(color)};
    s.paths = {Box(x0, y0, x1, y1, 0, 1)};
    s.bounds = {static_cast<std::int32_t>(x0 * kTwips), static_cast<std::int32_t>(x1 * kTwips),
                static_cast<std::int32_t>(y0 * kTwips), static_cast<std::int32_t>(y1 * kTwips)};
    return s;
}

inline Rgba PixelAt(const BgraImage& img, int x, int y) {
    const std::uint8_t* p = &img.pixels[(static_cast<std::size_t>(y) * img.width + x) * 4];
    return {p[2], p[1], p[0], p[3]};
}

// Renders one shape with `matrix` (shape twips to stage twips) at one twip per 1/20 pixel.
inline BgraImage RenderShape(const Shape& shape, int w, int h, Quality q = Quality::High,
                             Rgba background = kWhite, const Matrix& matrix = {},
                             const ColorTransform& cx = {}) {
    BgraImage img;
    img.resize(w, h);
    Renderer r;
    RenderItem item{&shape, matrix, cx};
    r.render({&item, 1}, background, kPixelStage, q, img);
    return img;
}

// How much of the image is painted, in pixels: the summed darkening of a black drawing on
// white, from the red channel.
inline double Coverage(const BgraImage& img) {
    double sum = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) sum += (255 - PixelAt(img, x, y).r) / 255.0;
    return sum;
}

}  // namespace saver::swf::test
