#include "SampleMovies.h"

#include "ClockMovie.h"
#include "EffectsMovie.h"
#include "PhotoMovie.h"
#include "ScriptClockMovie.h"
#include "SoundTags.h"
#include "SwfWriter.h"

namespace saver::swfwriter {
namespace {

constexpr std::int32_t kPx = kTwipsPerPixel;
constexpr Rgba kWhite{255, 255, 255};

SwfWriter NewMovie(std::int32_t widthPx, std::int32_t heightPx, bool compress) {
    SwfWriter movie({.version = 8,
                     .width = widthPx * kPx,
                     .height = heightPx * kPx,
                     .frameRate = 12,
                     .compress = compress});
    movie.SetBackgroundColor(kWhite);
    return movie;
}

std::uint16_t Square(SwfWriter& movie, Rgba color, std::int32_t sizePx) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid(color)));
    s.RoundedRect(0, 0, sizePx * kPx, sizePx * kPx, 0);
    return movie.DefineShape(s, ShapeVersion::Shape1);
}

std::vector<std::uint8_t> Solid(bool compress) {
    SwfWriter movie = NewMovie(100, 100, compress);
    const std::uint16_t id = Square(movie, {255, 0, 0}, 50);
    movie.Root().Place(PlaceObject::New(1, id, Matrix::Translate(25 * kPx, 25 * kPx)));
    movie.Root().ShowFrame();
    return movie.Build();
}

std::vector<std::uint8_t> Frames(bool compress, bool stopAtFifth) {
    SwfWriter movie = NewMovie(200, 100, compress);
    const std::uint16_t id = Square(movie, {0, 0, 255}, 20);
    Timeline& root = movie.Root();
    for (int i = 0; i < 10; ++i) {
        if (i == 0) root.FrameLabel("first");
        if (i == 5) root.FrameLabel("middle");
        if (i == 9) root.FrameLabel("last");
        const Matrix at = Matrix::Translate(20 * i * kPx, 40 * kPx);
        root.Place(i == 0 ? PlaceObject::New(1, id, at) : PlaceObject::Move(1, at));
        if (stopAtFifth && i == 4) root.DoAction(ActionList().Stop());
        root.ShowFrame();
    }
    return movie.Build();
}

std::vector<std::uint8_t> Sprite(bool compress) {
    SwfWriter movie = NewMovie(100, 100, compress);
    const Rgba colors[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    std::uint16_t ids[4];
    for (int i = 0; i < 4; ++i) ids[i] = Square(movie, colors[i], 50);
    Timeline sprite;
    for (int i = 0; i < 4; ++i) {
        PlaceObject p = PlaceObject::New(1, ids[i], {});
        p.move = i > 0;  // replaces the character at depth 1
        sprite.Place(p);
        sprite.ShowFrame();
    }
    const std::uint16_t spriteId = movie.DefineSprite(sprite);
    PlaceObject p = PlaceObject::New(1, spriteId, Matrix::Translate(25 * kPx, 25 * kPx));
    p.name = "colours";
    movie.Root().Place(p);
    movie.Root().ShowFrame();
    return movie.Build();
}

std::vector<std::uint8_t> Shapes(bool compress) {
    SwfWriter movie = NewMovie(200, 200, compress);
    const Gradient redToBlue{{{0, {255, 0, 0}}, {255, {0, 0, 255}}}};
    ShapeBuilder box;
    box.SetFill1(box.AddFill(
        FillStyle::Linear(Matrix::GradientBox(10 * kPx, 10 * kPx, 80 * kPx, 80 * kPx), redToBlue)));
    box.SetLine(box.AddLine({4 * kPx, {0, 0, 0}}));
    box.RoundedRect(10 * kPx, 10 * kPx, 80 * kPx, 80 * kPx, 0);

    const Gradient glow{{{0, {255, 255, 255, 255}}, {255, {0, 0, 128, 255}}}};
    ShapeBuilder ball;
    ball.SetFill1(ball.AddFill(
        FillStyle::Radial(Matrix::GradientBox(110 * kPx, 10 * kPx, 80 * kPx, 80 * kPx), glow)));
    ball.Circle(150 * kPx, 50 * kPx, 40 * kPx);

    ShapeBuilder glass;
    glass.SetFill1(glass.AddFill(FillStyle::Solid({0, 255, 0, 128})));
    glass.RoundedRect(10 * kPx, 110 * kPx, 80 * kPx, 80 * kPx, 15 * kPx);

    ShapeBuilder orange;
    orange.SetFill1(orange.AddFill(FillStyle::Solid({255, 128, 0})));
    orange.Circle(150 * kPx, 150 * kPx, 40 * kPx);

    const std::uint16_t ids[] = {movie.DefineShape(box, ShapeVersion::Shape2),
                                 movie.DefineShape(ball, ShapeVersion::Shape3),
                                 movie.DefineShape(glass, ShapeVersion::Shape3),
                                 movie.DefineShape(orange, ShapeVersion::Shape4)};
    for (std::uint16_t depth = 1; depth <= 4; ++depth)
        movie.Root().Place(PlaceObject::New(depth, ids[depth - 1], {}));
    movie.Root().ShowFrame();
    return movie.Build();
}

// A button filling the stage: grey up, red under the pointer, blue while pressed.
std::vector<std::uint8_t> ButtonSample(bool compress) {
    SwfWriter movie = NewMovie(100, 100, compress);
    const std::uint16_t up = Square(movie, {128, 128, 128}, 100);
    const std::uint16_t over = Square(movie, {255, 0, 0}, 100);
    const std::uint16_t down = Square(movie, {0, 0, 255}, 100);
    const std::uint16_t id = movie.DefineButton2(
        {{kUp, up, 1, {}}, {kOver, over, 1, {}}, {kDown, down, 1, {}}, {kHit, up, 2, {}}});
    movie.Root().Place(PlaceObject::New(1, id, {}));
    movie.Root().ShowFrame();
    return movie.Build();
}

}  // namespace

std::vector<std::string> SampleNames() {
    return {"solid",  "frames", "stop",   "sprite",    "shapes",  "photo",
            "button", "clock",  "stream", "toneclock", "effects", "scriptclock"};
}

namespace {

// A square crossing the stage while a stream sound whose every sample is known plays.
std::vector<std::uint8_t> Stream(bool compress) {
    SwfWriter movie = NewMovie(100, 100, compress);
    const std::uint16_t id = Square(movie, {0, 128, 0}, 20);
    Timeline& root = movie.Root();
    const StreamFormat format{3, true, kStreamFramesPerBlock};
    AppendStreamHead(root, format);
    std::uint32_t at = 0;
    for (int f = 0; f < kStreamFrames; ++f) {
        std::vector<std::int16_t> block;
        for (int i = 0; i < kStreamFramesPerBlock; ++i, ++at) {
            const auto [l, r] = StreamMark(at);
            block.push_back(l);
            block.push_back(r);
        }
        AppendStreamBlock(root, format, block);
        const Matrix m = Matrix::Translate(3 * f * kPx, 40 * kPx);
        root.Place(f == 0 ? PlaceObject::New(1, id, m) : PlaceObject::Move(1, m));
        root.ShowFrame();
    }
    return movie.Build();
}

// Frame f shows its number as the stage colour (red 5 * f) while a 440 Hz stream tone plays.
std::vector<std::uint8_t> Clock(bool compress) {
    SwfWriter movie = NewMovie(100, 100, compress);
    std::vector<std::uint16_t> ids;
    for (int f = 0; f < kClockFrames; ++f)
        ids.push_back(Square(movie, {static_cast<std::uint8_t>(5 * f), 0, 128}, 100));
    Timeline& root = movie.Root();
    const StreamFormat format{2, false, 1838};  // 22.05 kHz mono: 1837.5 samples a frame
    AppendStreamHead(root, format);
    std::size_t at = 0;
    for (int f = 0; f < kClockFrames; ++f) {
        const auto end = static_cast<std::size_t>((f + 1) * 1837.5);
        AppendStreamBlock(root, format, Sine(440, at, end - at, 22050, 8000));
        at = end;
        PlaceObject p = PlaceObject::New(1, ids[static_cast<std::size_t>(f)], {});
        p.move = f > 0;
        root.Place(p);
        root.ShowFrame();
    }
    return movie.Build();
}

}  // namespace

std::pair<std::int16_t, std::int16_t> StreamMark(std::uint32_t i) {
    return {static_cast<std::int16_t>((i + 1) & 0x7FFF), static_cast<std::int16_t>(i >> 15)};
}

std::optional<std::vector<std::uint8_t>> BuildSample(std::string_view name, bool compress) {
    if (name == "solid") return Solid(compress);
    if (name == "frames") return Frames(compress, false);
    if (name == "stop") return Frames(compress, true);
    if (name == "sprite") return Sprite(compress);
    if (name == "shapes") return Shapes(compress);
    if (name == "photo") return BuildPhotoMovie(compress);
    if (name == "button") return ButtonSample(compress);
    if (name == "clock") return BuildClockMovie(compress);
    if (name == "stream") return Stream(compress);
    if (name == "toneclock") return Clock(compress);
    if (name == "effects") return BuildEffectsMovie(compress);
    if (name == "scriptclock") return BuildScriptClockMovie(compress);
    return std::nullopt;
}

}  // namespace saver::swfwriter
