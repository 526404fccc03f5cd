// Scripted drawing, hit tests and buttons under the mouse.
#include <gtest/gtest.h>

#include <functional>

#include "swf/format/SwfReader.h"
#include "swf/player/Drawing.h"
#include "swf/player/MoviePlayer.h"
#include "swf/player/ShapeHitTest.h"
#include "swf_player_fixture.h"
#if __has_include("swfwriter/SampleMovies.h")
#include "swfwriter/SampleMovies.h"
#define HAVE_SWFWRITER 1
#endif

namespace saver::swf {
namespace {

using namespace test;

FillStyle Solid(std::uint8_t red) {
    FillStyle f;
    f.color = {red, 0, 0, 255};
    return f;
}

LineStyle Line(std::uint16_t width) {
    LineStyle l;
    l.width = width;
    return l;
}

TEST(Drawing, FillsCloseAndLayerAsFlashDrawsThem) {
    struct Case {
        const char* name;
        std::function<void(Drawing&)> draw;
        std::size_t fills, lines, paths, layers;
        Rect bounds;
    };
    const Case cases[] = {
        {"endFill closes the outline back to its start",
         [](Drawing& d) {
             d.beginFill(Solid(1));
             d.lineTo({100, 0});
             d.lineTo({100, 100});
             d.endFill();
         },
         1,
         0,
         1,
         1,
         {0, 100, 0, 100}},
        {"moveTo inside a fill starts a second outline of it",
         [](Drawing& d) {
             d.beginFill(Solid(1));
             d.lineTo({100, 0});
             d.lineTo({100, 100});
             d.moveTo({200, 0});
             d.lineTo({300, 0});
             d.lineTo({300, 100});
             d.endFill();
         },
         1,
         0,
         2,
         1,
         {0, 300, 0, 100}},
        {"a new beginFill closes the open one: two layers",
         [](Drawing& d) {
             d.beginFill(Solid(1));
             d.lineTo({100, 0});
             d.lineTo({100, 100});
             d.beginFill(Solid(2));
             d.lineTo({0, 100});
             d.lineTo({-100, 100});
             d.endFill();
         },
         2,
         0,
         2,
         2,
         {-100, 100, 0, 100}},
        {"lines drawn in a fill go in its layer; bounds take half the width",
         [](Drawing& d) {
             d.lineStyle(Line(40));
             d.beginFill(Solid(1));
             d.lineTo({100, 0});
             d.lineTo({100, 100});
             d.endFill();
         },
         1,
         1,
         2,
         1,
         {-20, 120, -20, 120}},
        {"lineStyle without a style stops stroking; moves draw nothing",
         [](Drawing& d) {
             d.lineStyle(Line(20));
             d.lineTo({100, 0});
             d.noLineStyle();
             d.lineTo({100, 100});
         },
         0,
         1,
         1,
         1,
         {-10, 110, -10, 10}},
        {"an open fill is shown closed",
         [](Drawing& d) {
             d.beginFill(Solid(1));
             d.lineTo({100, 0});
             d.lineTo({100, 100});
         },
         1,
         0,
         1,
         1,
         {0, 100, 0, 100}},
        {"clear forgets everything, the pen goes home",
         [](Drawing& d) {
             d.beginFill(Solid(1));
             d.lineTo({100, 0});
             d.clear();
             d.lineStyle(Line(0));
             d.lineTo({0, 50});
         },
         0,
         1,
         1,
         1,
         {0, 0, 0, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing d;
        c.draw(d);
        const Shape& s = d.shape();
        EXPECT_EQ(s.fills.size(), c.fills);
        EXPECT_EQ(s.lines.size(), c.lines);
        ASSERT_EQ(s.paths.size(), c.paths);
        EXPECT_EQ(s.layerStarts.size() + 1, c.layers);
        EXPECT_EQ(s.bounds, c.bounds);
        for (const ShapePath& p : s.paths)  // every fill outline ends where it began
            if (p.fill1 != 0) EXPECT_EQ(p.edges.back().anchor, p.start);
    }
}

TEST(ShapeHitTest, FillsByEvenOddAndLinesByWidth) {
    Shape ring;  // a 200-twip square with a 100-twip hole, one fill; a 20-twip line at y = 400
    ring.fills.push_back(Solid(1));
    ring.lines.push_back(Line(20));
    ShapePath outer{0,
                    1,
                    0,
                    {0, 0},
                    {{false, {}, {200, 0}},
                     {false, {}, {200, 200}},
                     {false, {}, {0, 200}},
                     {false, {}, {0, 0}}}};
    ShapePath inner{0,
                    1,
                    0,
                    {50, 50},
                    {{false, {}, {150, 50}},
                     {false, {}, {150, 150}},
                     {false, {}, {50, 150}},
                     {false, {}, {50, 50}}}};
    ShapePath line{0, 0, 1, {0, 400}, {{false, {}, {200, 400}}}};
    ring.paths = {outer, inner, line};
    const struct {
        double x, y;
        Matrix m;
        bool hit;
    } cases[] = {
        {20, 20, {}, true},                         // in the ring
        {100, 100, {}, false},                      // in the hole
        {300, 100, {}, false},                      // outside
        {100, 408, {}, true},                       // on the line, within half its width
        {100, 415, {}, false},                      // beside it
        {520, 540, {2, 0, 0, 2, 500, 500}, true},   // scaled and moved: the ring
        {700, 700, {2, 0, 0, 2, 500, 500}, false},  // the hole
        {20, 20, {0, 0, 0, 0, 0, 0}, false},        // a singular matrix hits nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitShape(ring, c.m, c.x, c.y), c.hit) << c.x << "," << c.y;
}

// Button 20 shows shape 1 up, 2 over, 3 down; its hit area is shape 4 (the triangle below
// the diagonal x = y of a 10-pixel square). Releasing on it sends the root to frame 3, the
// key "a" to frame 2.
std::shared_ptr<Movie> ButtonMovie() {
    Button b;
    b.id = 20;
    b.version = 2;
    b.records = {{kButtonUp, 1, 1, {}, {}, {}, {}},
                 {kButtonOver, 2, 1, {}, {}, {}, {}},
                 {kButtonDown, 3, 1, {}, {}, {}, {}},
                 {kButtonHitTest, 4, 2, {}, {}, {}, {}}};
    ButtonAction release;
    release.conditions = 0x0008;  // OverDownToOverUp
    release.bytes = GotoFrame(2);
    release.bytes.push_back(0);
    ButtonAction key;  // the key "a" sends the root to frame 2
    key.conditions = 'a' << 9;
    key.bytes = GotoFrame(1);
    key.bytes.push_back(0);
    b.actions = {release, key};
    auto movie = MakeMovie(
        MakeTimeline({MakeFrame({Place(1, 20), Actions({Stop()})}), MakeFrame({}), MakeFrame({})}));
    movie->dictionary[20] = std::move(b);
    return movie;
}

TEST(PointerInput, ButtonStatesAndActionsFollowTheMouse) {
    enum Op { MoveIn, MoveOut, Down, Up, KeyA, KeyB };
    const struct {
        const char* name;
        std::vector<Op> ops;
        int shownShape;
        int rootFrame;
    } cases[] = {
        {"over", {MoveIn}, 2, 0},
        {"out again", {MoveIn, MoveOut}, 1, 0},
        {"pressed", {MoveIn, Down}, 3, 0},
        {"released on it: over, and the action ran", {MoveIn, Down, Up}, 2, 2},
        {"dragged out: over shows", {MoveIn, Down, MoveOut}, 2, 0},
        {"dragged back: down again", {MoveIn, Down, MoveOut, MoveIn}, 3, 0},
        {"released outside: up, no action", {MoveIn, Down, MoveOut, Up}, 1, 0},
        {"a press outside it never presses it", {MoveOut, Down, MoveIn}, 1, 0},
        {"its key runs the key action, wherever the pointer is", {KeyA}, 1, 1},
        {"another key does nothing", {KeyB}, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MoviePlayer player(ButtonMovie());
        for (const Op op : c.ops) {
            if (op == MoveIn) player.mouseMove(7, 2);
            if (op == MoveOut) player.mouseMove(2, 7);
            if (op == Down) player.mouseDown();
            if (op == Up) player.mouseUp();
            if (op == KeyA) player.keyDown('A', 'a');
            if (op == KeyB) player.keyDown('B', 'b');
        }
        EXPECT_EQ(DrawnIds(player), std::vector<int>{c.shownShape});
        EXPECT_EQ(player.currentFrame(), c.rootFrame);
    }
}

#ifdef HAVE_SWFWRITER
// The written button sample, read back: grey, red under the pointer, blue pressed.
TEST(PointerInput, WrittenButtonSampleChangesColourUnderThePointer) {
    const auto bytes = swfwriter::BuildSample("button");
    ASSERT_TRUE(bytes);
    MoviePlayer player(std::make_shared<Movie>(ReadMovie(*bytes)));
    auto colour = [&] {
        const auto items = player.renderList();
        return items.empty() || !items.back().shape ? Rgba{} : items.back().shape->fills[0].color;
    };
    EXPECT_EQ(colour(), (Rgba{128, 128, 128, 255}));
    player.mouseMove(50, 50);
    EXPECT_EQ(colour(), (Rgba{255, 0, 0, 255}));
    player.mouseDown();
    EXPECT_EQ(colour(), (Rgba{0, 0, 255, 255}));
    player.mouseMove(150, 50);  // off the stage, still pressed: the over state
    player.mouseUp();
    EXPECT_EQ(colour(), (Rgba{128, 128, 128, 255}));
}
#endif

}  // namespace
}  // namespace saver::swf
