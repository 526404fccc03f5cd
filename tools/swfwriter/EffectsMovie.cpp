#include "EffectsMovie.h"

#include <cmath>
#include <numbers>

#include "SwfWriter.h"

namespace saver::swfwriter {
namespace {

constexpr std::int32_t kPx = kTwipsPerPixel;
constexpr double kTau = 2 * std::numbers::pi;

ShapeBuilder::Point Polar(double radiusPx, double angle) {
    return {static_cast<std::int32_t>(std::lround(radiusPx * kPx * std::sin(angle))),
            static_cast<std::int32_t>(std::lround(-radiusPx * kPx * std::cos(angle)))};
}

MorphShape DiscToStar() {
    MorphShape m;
    for (int i = 0; i < 16; ++i) {
        const double angle = i * kTau / 16;  // clockwise from twelve o'clock
        m.start.push_back(Polar(90, angle));
        m.end.push_back(Polar(i % 2 == 0 ? 110 : 48, angle));
    }
    m.startColor = {255, 150, 40};
    m.endColor = {170, 70, 230};
    return m;
}

std::uint16_t Ball(SwfWriter& movie) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid({60, 200, 255})));
    s.Circle(0, 0, 45 * kPx);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

// Ten stripes, alternately yellow and red, centred on the origin.
std::uint16_t Stripes(SwfWriter& movie) {
    ShapeBuilder s;
    const std::uint32_t yellow = s.AddFill(FillStyle::Solid({250, 220, 40}));
    const std::uint32_t red = s.AddFill(FillStyle::Solid({230, 40, 40}));
    for (int i = 0; i < 10; ++i) {
        s.SetFill1(i % 2 == 0 ? yellow : red);
        s.RoundedRect((-50 + 10 * i) * kPx, -50 * kPx, 10 * kPx, 100 * kPx, 0);
    }
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

}  // namespace

std::vector<std::uint8_t> BuildEffectsMovie(bool compress) {
    SwfWriter movie(
        {.width = 560 * kPx, .height = 320 * kPx, .frameRate = 24, .compress = compress});
    movie.SetBackgroundColor({24, 20, 36});
    const std::uint16_t morph = movie.DefineMorphShape(DiscToStar());
    const std::uint16_t ball = Ball(movie), stripes = Stripes(movie);
    Timeline& root = movie.Root();

    PlaceObject ballAt = PlaceObject::New(2, ball, Matrix::Translate(400 * kPx, 90 * kPx));
    ballAt.filters = {FilterSpec::Glow({90, 170, 255, 255}, 18, 2)};
    for (int f = 0; f < kEffectsFrames; ++f) {
        const double t = static_cast<double>(f) / kEffectsFrames;
        const double wave = 0.5 - 0.5 * std::cos(kTau * t);  // 0 -> 1 -> 0 over the loop
        PlaceObject morphAt =
            f == 0 ? PlaceObject::New(1, morph, Matrix::Translate(160 * kPx, 160 * kPx))
                   : PlaceObject::Move(1, Matrix::Translate(160 * kPx, 160 * kPx));
        morphAt.ratio = static_cast<std::uint16_t>(std::lround(65535 * wave));
        if (f == 0) morphAt.filters = {FilterSpec::DropShadow({0, 0, 0, 200}, 10, kTau / 8, 17)};
        root.Place(morphAt);
        if (f == 0) root.Place(ballAt);
        const Matrix turn = Matrix::Transform(1, kTau / 4 * t, 400 * kPx, 230 * kPx);
        PlaceObject stripesAt =
            f == 0 ? PlaceObject::New(3, stripes, turn) : PlaceObject::Move(3, turn);
        const double blur = 12 * wave;
        stripesAt.filters = {FilterSpec::Blur(blur, blur, 2)};
        root.Place(stripesAt);
        root.ShowFrame();
    }
    return movie.Build();
}

}  // namespace saver::swfwriter
