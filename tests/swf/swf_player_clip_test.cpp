// Movie clips as scripts see them: the order of one frame's scripts across clips, the display
// properties Flash rounds in its own way, timeline moves of a clip a script moved, clip event
// records, and hit tests on shape outlines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "swf/avm1/ClipProperties.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/format/DisplayTagReader.h"
#include "swf/player/ContentGeometry.h"
#include "swf_player_fixture.h"
#include "swf_render_support.h"

namespace saver::swf::test {
namespace {

std::vector<std::uint8_t> PushString(const std::string& s) {
    std::vector<std::uint8_t> r{0x96, static_cast<std::uint8_t>(s.size() + 2), 0, 0};
    r.insert(r.end(), s.begin(), s.end());
    r.push_back(0);
    return r;
}

std::vector<std::uint8_t> Trace(const std::string& s) {
    auto r = PushString(s);
    r.push_back(0x26);
    return r;
}

// setProperty("", index, value) on the timeline running the script.
std::vector<std::uint8_t> SetOwnProperty(int index, const std::string& value) {
    auto r = PushString("");
    auto i = PushString(std::to_string(index));
    auto v = PushString(value);
    r.insert(r.end(), i.begin(), i.end());
    r.insert(r.end(), v.begin(), v.end());
    r.push_back(0x23);
    return r;
}

struct ScriptedRun {
    std::string out;
    avm1::ScriptRunner* runner = nullptr;  // owned by the player
    std::unique_ptr<MoviePlayer> player;
    explicit ScriptedRun(std::shared_ptr<Movie> movie) {
        auto owned = std::make_unique<avm1::ScriptRunner>(
            movie, [this](const std::string& line) { out += line + "\n"; });
        runner = owned.get();
        player = std::make_unique<MoviePlayer>(movie, std::move(owned));
    }
};

Sprite TracingSprite(std::uint16_t id, const std::string& name, int frames) {
    std::vector<Frame> f;
    for (int i = 1; i <= frames; ++i)
        f.push_back(MakeFrame({Actions({Trace(name + " " + std::to_string(i))})}));
    return Sprite{id, MakeTimeline(std::move(f))};
}

std::vector<std::uint8_t> PushInt(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {0x96,
            5,
            0,
            7,
            static_cast<std::uint8_t>(u),
            static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(u >> 16),
            static_cast<std::uint8_t>(u >> 24)};
}

// `target`.`method`(`arg`), its result dropped.
std::vector<std::uint8_t> CallOn(const std::string& target, const std::string& method, int arg) {
    std::vector<std::uint8_t> r = PushInt(arg);
    for (const auto& part : {PushInt(1), PushString(target), std::vector<std::uint8_t>{0x1C},
                             PushString(method), std::vector<std::uint8_t>{0x52, 0x17}})
        r.insert(r.end(), part.begin(), part.end());
    return r;
}

TEST(SwfFrameOrder, ScriptOfARemovedClipEndsAfterTheCall) {
    // The child sends its parent to frame 2, which removes the child: the child's script ends
    // there. A call on a missing object calls nothing and the script goes on.
    Sprite child{20,
                 MakeTimeline({MakeFrame({Actions(
                     {Trace("child start"), CallOn("nothing", "play", 0), Trace("child goes on"),
                      CallOn("_parent", "gotoAndStop", 2), Trace("child after its removal")})})})};
    auto movie = MakeMovie(MakeTimeline({MakeFrame({Place(1, 20), Actions({Stop()})}),
                                         MakeFrame({Remove(1), Actions({Trace("root 2")})})}),
                           {child});
    ScriptedRun run(movie);
    EXPECT_EQ(run.out, "child start\nchild goes on\nroot 2\n");
}

TEST(SwfFrameOrder, NewestClipRunsFirst) {
    // Root frame 1 places a child after its own script; each frame every timeline traces.
    auto movie = MakeMovie(MakeTimeline({
                               MakeFrame({Actions({Trace("root 1")}), Place(1, 20)}),
                               MakeFrame({Actions({Trace("root 2")})}),
                               MakeFrame({Actions({Trace("root 3"), Stop()})}),
                           }),
                           {TracingSprite(20, "child", 2)});
    ScriptedRun run(movie);
    run.player->tick();
    run.player->tick();
    EXPECT_EQ(run.out, "root 1\nchild 1\nchild 2\nroot 2\nchild 1\nroot 3\n");
}

TEST(SwfClipProperties, ValuesReadBackAsFlashKeepsThem) {
    struct Case {
        const char* name;
        const char* written;
        double read;
    };
    const Case cases[] = {
        {"_x", "10.123", 10.1},       // whole twips
        {"_y", "-3.33", -3.3},        //
        {"_alpha", "33", 32.8125},    // 1/256 steps
        {"_alpha", "1.5", 1.171875},  //
        {"_rotation", "270", -90},    // into -180..180
        {"_xscale", "-50", -50},      // a flip reads back as written
        {"_x", "abc", 0},             // NaN leaves the value
        {"_visible", "false", 1},     // through ToNumber: NaN, unchanged (true)
    };
    for (const Case& c : cases) {
        auto movie = MakeMovie(MakeTimeline({MakeFrame({Place(1, 20)})}),
                               {Sprite{20, MakeTimeline({MakeFrame({})})}});
        ScriptedRun run(movie);
        auto& root = run.player->root();
        auto child = root.displayList().at(1).sprite;
        ASSERT_TRUE(child);
        avm1::Interpreter& vm = run.runner->interpreter();
        avm1::PlayerSettings settings;
        EXPECT_TRUE(avm1::SetDisplayProperty(vm, settings, *child, c.name, avm1::Value(c.written)));
        bool found = false;
        const avm1::Value v = avm1::GetDisplayProperty(vm, settings, *child, c.name, found);
        ASSERT_TRUE(found);
        EXPECT_NEAR(vm.toNumber(v), c.read, 1e-9) << c.name << " = " << c.written;
    }
}

TEST(SwfClipProperties, ScriptedClipKeepsItsTransform) {
    // Frame 1 places the sprite (whose script moves it); frame 2 moves it on the timeline.
    Sprite sprite{20, MakeTimeline({MakeFrame({Actions({SetOwnProperty(0, "50"), Stop()})})})};
    auto movie = MakeMovie(MakeTimeline({MakeFrame({Place(1, 20)}), MakeFrame({Move(1, 400)}),
                                         MakeFrame({Actions({Stop()})})}),
                           {sprite});
    ScriptedRun run(movie);
    run.player->tick();
    EXPECT_EQ(run.player->root().displayList().at(1).matrix.tx, 1000);  // 50 px, not moved
}

TEST(SwfClipEvents, PlaceObjectClipActionsAreKept) {
    // PlaceObject2: flags (move no, character, clip actions), depth 1, character 20, then
    // CLIPACTIONS: reserved, all flags, one enterFrame record of 2 bytes, end.
    const std::vector<std::uint8_t> body = {0x82, 1, 0, 20, 0, 0, 0,    2, 0, 0, 0, 2, 0,
                                            0,    0, 2, 0,  0, 0, 0x07, 0, 0, 0, 0, 0};
    SwfBitReader in(body, "PlaceObject2");
    const PlaceObject p = DisplayTagReader::readPlace(in, 2, 6);
    ASSERT_EQ(p.clipActions.size(), 1u);
    EXPECT_EQ(p.clipActions[0].events, kClipEnterFrame);
    EXPECT_EQ(p.clipActions[0].bytes, (std::vector<std::uint8_t>{0x07, 0}));
    // A record claiming more bytes than the tag holds ends the list.
    std::vector<std::uint8_t> cut = body;
    cut[15] = 200;
    SwfBitReader cutIn(cut, "PlaceObject2");
    EXPECT_TRUE(DisplayTagReader::readPlace(cutIn, 2, 6).clipActions.empty());
}

TEST(SwfClipGeometry, ShapeHitTestFollowsTheOutline) {
    // MakeShape: the triangle (0,0) (200,0) (200,200).
    const Shape triangle = MakeShape(1);
    struct Case {
        double x, y;
        bool inside;
    };
    const Case cases[] = {{150, 50, true}, {50, 150, false}, {250, 50, false}, {199, 198, true}};
    for (const Case& c : cases)
        EXPECT_EQ(ShapeContains(triangle, c.x, c.y), c.inside) << c.x << "," << c.y;
}

}  // namespace
}  // namespace saver::swf::test

namespace saver::swf::test {
namespace {

TEST(SwfClipTree, ScriptChangesToTheDisplayList) {
    // The root holds sprite 20 (one shape 1 at 0,0: 10x10 px) at timeline depth 1.
    Sprite box{20, MakeTimeline({MakeFrame({Place(1, 1)})})};
    auto movie = MakeMovie(MakeTimeline({MakeFrame({Place(1, 20)})}), {box});
    ScriptedRun run(movie);
    TimelineInstance& root = run.player->root();
    const int dynamic = kScriptDepthOffset;

    // attach: a sprite at a script depth, its first frame built at once
    auto a = root.addSprite(dynamic, 20, "a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->parent().get(), &root);
    EXPECT_EQ(a->displayList().size(), 1u);
    // an unknown or non-sprite character makes nothing
    EXPECT_FALSE(root.addSprite(dynamic + 1, 1, "shape"));
    EXPECT_FALSE(root.addSprite(dynamic + 1, 99, "missing"));

    // swap: both move, and both leave the timeline's control
    root.swapDepths(dynamic, 1);
    EXPECT_EQ(a->depth(), 1);
    EXPECT_TRUE(root.displayList().at(1).scripted);
    EXPECT_EQ(root.displayList().at(dynamic).sprite->depth(), dynamic);

    // bounds in the parent's space follow the placement's matrix
    DisplayObject* placed = a->placement();
    ASSERT_NE(placed, nullptr);
    placed->matrix.tx = 100;
    Rect box20;
    ASSERT_TRUE(a->bounds(placed->matrix, box20));
    EXPECT_EQ(box20, (Rect{100, 300, 0, 200}));

    // removal without an unload handler is at once; with one the clip waits below the stage
    root.removeAt(1);
    EXPECT_EQ(root.displayList().count(1), 0u);
    EXPECT_FALSE(a->onStage());
    auto b = root.addSprite(dynamic + 5, 20, "b");
    root.context().hasUnloadHandler = [](TimelineInstance&) { return true; };
    root.removeAt(dynamic + 5);
    EXPECT_EQ(b->depth(), -(dynamic + 5) - 1);
    EXPECT_TRUE(root.displayList().at(b->depth()).pendingRemoval);
    EXPECT_FALSE(b->onStage());
    run.player->tick();  // gone when the next frame starts
    EXPECT_EQ(root.displayList().count(-(dynamic + 5) - 1), 0u);
}

// What a script drew into a clip (a 400x400 twip square at 200,200) is part of its content:
// bounds, hit tests by box and by outline, and a duplicate's first picture.
TEST(SwfClipTree, DrawnContentIsPartOfTheClip) {
    auto movie = MakeMovie(MakeTimeline({MakeFrame({})}));
    MoviePlayer player(movie);
    TimelineInstance& root = player.root();
    auto a = root.addSprite(kScriptDepthOffset, 0, "a");
    ASSERT_TRUE(a);
    Drawing& d = a->drawing();
    d.beginFill(Solid(kRed));
    d.moveTo({200, 200});
    for (Point p : {Point{600, 200}, Point{600, 600}, Point{200, 600}, Point{200, 200}})
        d.lineTo(p);
    d.endFill();
    Rect box;
    ASSERT_TRUE(a->bounds(Matrix{}, box));
    EXPECT_EQ(box, (Rect{200, 600, 200, 600}));
    struct Case {
        double x, y;
        bool byShape, inside;
    };
    const Case cases[] = {{300, 300, true, true},
                          {100, 300, true, false},
                          {300, 300, false, true},
                          {700, 700, false, false}};
    for (const Case& c : cases)
        EXPECT_EQ(a->hitTest(Matrix{}, c.x, c.y, c.byShape), c.inside) << c.x << "," << c.y;
    auto copy = root.addSprite(kScriptDepthOffset + 1, 0, "b", a->placement());
    ASSERT_TRUE(copy && copy->drawingIfAny());
    ASSERT_TRUE(copy->bounds(Matrix{}, box));
    EXPECT_EQ(box, (Rect{200, 600, 200, 600}));
}

}  // namespace
}  // namespace saver::swf::test
