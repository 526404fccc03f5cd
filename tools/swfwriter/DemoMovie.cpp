#include "DemoMovie.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "SoundTags.h"
#include "SwfWriter.h"

namespace saver::swfwriter {
namespace {

constexpr double kTau = 2 * std::numbers::pi;
constexpr std::uint16_t kBackdropDepth = 1, kBallDepth = 2, kStarDepth = 3, kSquareDepth = 4;

std::int32_t Twips(double pixels) {
    return static_cast<std::int32_t>(std::lround(pixels * 20));
}

std::uint16_t DefineBackdrop(SwfWriter& movie, std::int32_t w, std::int32_t h) {
    ShapeBuilder s;
    const Gradient dusk{{{0, {12, 16, 48}}, {150, {30, 18, 64}}, {255, {6, 6, 20}}}};
    s.SetFill1(s.AddFill(FillStyle::Linear(Matrix::GradientBox(0, 0, w, h, kTau / 4), dusk)));
    s.RoundedRect(0, 0, w, h, 0);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

// Centred on the origin so the placement matrix turns and scales it about its middle.
std::uint16_t DefineBall(SwfWriter& movie, std::int32_t r) {
    ShapeBuilder s;
    const Gradient glow{{{0, {255, 250, 210, 255}},
                         {90, {255, 190, 60, 255}},
                         {200, {230, 70, 40, 230}},
                         {255, {120, 20, 60, 0}}}};
    s.SetFill1(s.AddFill(FillStyle::Radial(Matrix::GradientBox(-r, -r, 2 * r, 2 * r), glow)));
    s.Circle(0, 0, r);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

std::uint16_t DefineStar(SwfWriter& movie, std::int32_t r) {
    ShapeBuilder s;
    const Gradient sea{{{0, {80, 230, 220}}, {255, {20, 90, 160}}}};
    s.SetFill1(s.AddFill(FillStyle::Linear(Matrix::GradientBox(-r, -r, 2 * r, 2 * r, 1.0), sea)));
    s.SetLine(s.AddLine({static_cast<std::uint16_t>(std::max(20, r / 25)), {240, 250, 255, 255}}));
    std::vector<ShapeBuilder::Point> points;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? r : r * 0.45;
        const double angle = -kTau / 4 + i * kTau / 10;  // first point straight up
        points.push_back({static_cast<std::int32_t>(std::lround(radius * std::cos(angle))),
                          static_cast<std::int32_t>(std::lround(radius * std::sin(angle)))});
    }
    s.Polygon(points);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

std::uint16_t DefineSquare(SwfWriter& movie, std::int32_t half) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid({255, 90, 170, 170})));
    s.SetLine(s.AddLine({40, {255, 200, 230, 220}}));
    s.RoundedRect(-half, -half, 2 * half, 2 * half, half / 3);
    return movie.DefineShape(s, ShapeVersion::Shape3);
}

// Sample i of the demo's tune: eight notes of a pentatonic phrase over the loop, each
// fading in and out so the loop point cannot be heard.
std::int16_t TuneSample(std::size_t i, std::size_t total) {
    static constexpr double kNotes[] = {261.63, 329.63, 392.00, 440.00,
                                        523.25, 440.00, 392.00, 329.63};
    const double t = static_cast<double>(i) / static_cast<double>(total) * 8;
    const auto note = static_cast<std::size_t>(t) % 8;
    const double within = t - std::floor(t);
    const double envelope = std::min(1.0, within * 20) * std::min(1.0, (1 - within) * 6);
    const double seconds = static_cast<double>(i) / 22050;
    const double v =
        std::sin(kTau * kNotes[note] * seconds) + 0.3 * std::sin(2 * kTau * kNotes[note] * seconds);
    return static_cast<std::int16_t>(std::lround(6000 * envelope * v));
}

void AppendMusic(Timeline& root, int frame, const DemoOptions& o) {
    const double perFrame = 22050 / o.frameRate;
    const auto total = static_cast<std::size_t>(std::llround(perFrame * o.frames));
    const auto from = static_cast<std::size_t>(std::llround(perFrame * frame));
    const auto to = static_cast<std::size_t>(std::llround(perFrame * (frame + 1)));
    const StreamFormat format{2, false, static_cast<std::uint16_t>(std::ceil(perFrame))};
    if (frame == 0) AppendStreamHead(root, format);
    std::vector<std::int16_t> block;
    for (std::size_t i = from; i < to; ++i) block.push_back(TuneSample(i, total));
    AppendStreamBlock(root, format, block);
}

}  // namespace

std::vector<std::uint8_t> BuildDemoMovie(const DemoOptions& o) {
    if (o.width < 16 || o.width > 4000 || o.height < 16 || o.height > 4000 || o.frames < 1 ||
        o.frames > 65535 || !(o.frameRate >= 1 && o.frameRate <= 120))
        throw std::invalid_argument("demo size, frame count or frame rate out of range");
    const double W = o.width, H = o.height, unit = std::min(W, H);
    SwfWriter movie({.version = 8,
                     .width = Twips(W),
                     .height = Twips(H),
                     .frameRate = o.frameRate,
                     .compress = o.compress});
    movie.SetBackgroundColor({8, 10, 30});
    const std::uint16_t backdrop = DefineBackdrop(movie, Twips(W), Twips(H));
    const std::uint16_t ball = DefineBall(movie, Twips(unit * 0.16));
    const std::uint16_t star = DefineStar(movie, Twips(unit * 0.14));
    const std::uint16_t square = DefineSquare(movie, Twips(unit * 0.11));

    Timeline& root = movie.Root();
    root.FrameLabel("loop");
    root.Place(PlaceObject::New(kBackdropDepth, backdrop, {}));
    for (int f = 0; f < o.frames; ++f) {
        const double t = static_cast<double>(f) / o.frames;  // 0..1, periodic
        const Matrix ballAt = Matrix::Transform(1.0 + 0.15 * std::sin(2 * kTau * t), 0,
                                                Twips(W / 2 + W * 0.28 * std::cos(kTau * t)),
                                                Twips(H / 2 + H * 0.22 * std::sin(2 * kTau * t)));
        const Matrix starAt = Matrix::Transform(
            1.0, kTau * t, Twips(W * 0.24 + W * 0.04 * std::sin(kTau * t)), Twips(H * 0.3));
        // A rounded square looks the same after half a turn, so half a turn per loop is seamless.
        const Matrix squareAt = Matrix::Transform(1.0, -kTau / 2 * t, Twips(W * 0.74),
                                                  Twips(H * 0.68 + H * 0.05 * std::cos(kTau * t)));
        PlaceObject squarePlace = f == 0 ? PlaceObject::New(kSquareDepth, square, squareAt)
                                         : PlaceObject::Move(kSquareDepth, squareAt);
        squarePlace.colorTransform =
            ColorTransform::Alpha(0.3 + 0.7 * (0.5 + 0.5 * std::cos(kTau * t)));
        if (f == 0) {
            root.Place(PlaceObject::New(kBallDepth, ball, ballAt));
            root.Place(PlaceObject::New(kStarDepth, star, starAt));
        } else {
            root.Place(PlaceObject::Move(kBallDepth, ballAt));
            root.Place(PlaceObject::Move(kStarDepth, starAt));
        }
        root.Place(squarePlace);
        if (o.music) AppendMusic(root, f, o);
        root.ShowFrame();
    }
    return movie.Build();
}

}  // namespace saver::swfwriter
