#include "PhotoMovie.h"

#include <algorithm>
#include <cmath>

#include "SwfWriter.h"

namespace saver::swfwriter {
namespace {

constexpr std::int32_t kPx = kTwipsPerPixel;

std::uint8_t Byte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

RgbaImage Tile() {
    RgbaImage tile{16, 16, std::vector<std::uint8_t>(16 * 16 * 4)};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = &tile.rgba[(y * 16 + x) * 4];
            const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
            p[0] = dark ? 200 : 250;
            p[1] = dark ? 60 : 220;
            p[2] = dark ? 40 : 120;
            p[3] = 255;
        }
    }
    return tile;
}

// A rectangle of size w x h px at the origin, filled with `fill`.
std::uint16_t BitmapRect(SwfWriter& movie, const FillStyle& fill, std::int32_t w, std::int32_t h) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(fill));
    s.RoundedRect(0, 0, w * kPx, h * kPx, 0);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

}  // namespace

RgbaImage LandscapePicture(int width, int height, bool vignette) {
    RgbaImage image{width, height,
                    std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width, v = (y + 0.5) / height;
            double r = 90 + 120 * v, g = 150 + 80 * v, b = 235 - 20 * v;  // sky
            const double sun = std::hypot(u - 0.72, v - 0.3);
            if (sun < 0.12) r = 255, g = 225 - 200 * sun, b = 90;
            const double hill = 0.62 + 0.08 * std::sin(u * 9.0) + 0.04 * std::sin(u * 23.0 + 1);
            if (v > hill) {
                const double shade = 0.75 + 0.25 * std::sin(u * 40 + v * 25);
                r = 40 * shade, g = (110 + 80 * (v - hill)) * shade, b = 50 * shade;
            }
            double a = 255;
            if (vignette) {
                const double d = std::hypot((u - 0.5) / 0.5, (v - 0.5) / 0.5);
                a = 255 * std::clamp((1.0 - d) / 0.25, 0.0, 1.0);
            }
            std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = Byte(r);
            p[1] = Byte(g);
            p[2] = Byte(b);
            p[3] = Byte(a);
        }
    }
    return image;
}

std::vector<std::uint8_t> BuildPhotoMovie(bool compress) {
    SwfWriter movie({.version = 8,
                     .width = 400 * kPx,
                     .height = 300 * kPx,
                     .frameRate = 12,
                     .compress = compress});
    movie.SetBackgroundColor({255, 255, 255});

    const std::uint16_t photo = movie.DefineBitsJpeg3(LandscapePicture(200, 150, true), 90);
    const std::uint16_t tile = movie.DefineBits(Tile(), 90);
    const std::uint16_t thumb = movie.DefineBitsJpeg2(LandscapePicture(64, 48, false), 90, true);

    const Matrix onePixel = Matrix::Transform(kPx, 0, 0, 0);
    const std::uint16_t photoShape =
        BitmapRect(movie, FillStyle::Bitmap(photo, onePixel, true, true), 200, 150);
    const std::uint16_t strip = BitmapRect(
        movie, FillStyle::Bitmap(tile, Matrix::Transform(2 * kPx, 0.3, 0, 0), false, false), 400,
        40);
    const std::uint16_t thumbShape =
        BitmapRect(movie, FillStyle::Bitmap(thumb, onePixel, true, true), 64, 48);

    movie.Root().Place(
        PlaceObject::New(1, photoShape, Matrix::Transform(1.5, 0, 50 * kPx, 40 * kPx)));
    movie.Root().Place(PlaceObject::New(2, strip, Matrix::Translate(0, 250 * kPx)));
    movie.Root().Place(PlaceObject::New(3, thumbShape, Matrix::Translate(8 * kPx, 8 * kPx)));
    movie.Root().ShowFrame();
    return movie.Build();
}

}  // namespace saver::swfwriter
