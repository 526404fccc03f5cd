// Morph shapes drawn between their start and end, buttons in their up state, and which
// characters a moving placement may swap.
#include <gtest/gtest.h>

#include "swf/player/CharacterReplacement.h"
#include "swf/player/MorphCache.h"
#include "swf/player/MorphInterpolation.h"
#include "swf/player/MoviePlayer.h"
#include "swf_player_fixture.h"

namespace saver::swf {
namespace {

using namespace test;

ShapePath PathOf(Point start, std::vector<ShapeEdge> edges, std::uint32_t fill1 = 1) {
    ShapePath p;
    p.fill1 = fill1;
    p.line = 1;
    p.start = start;
    p.edges = std::move(edges);
    return p;
}

ShapeEdge To(int x, int y) {
    return {false, {}, {x, y}};
}

ShapeEdge Via(int cx, int cy, int x, int y) {
    return {true, {cx, cy}, {x, y}};
}

// Morph 50: red 20-twip-line square of 100 twips at the start, blue 60-twip-line square of
// 300 twips at the end.
MorphShape Square() {
    MorphShape m;
    m.id = 50;
    m.start.bounds = {0, 100, 0, 100};
    m.end.bounds = {0, 300, 0, 300};
    m.start.fills.resize(1);
    m.end.fills.resize(1);
    m.start.fills[0].color = {255, 0, 0, 255};
    m.end.fills[0].color = {0, 0, 255, 0};
    m.start.lines.resize(1);
    m.end.lines.resize(1);
    m.start.lines[0].width = 20;
    m.end.lines[0].width = 60;
    m.start.paths = {PathOf({0, 0}, {To(100, 0), To(100, 100), To(0, 100), To(0, 0)})};
    m.end.paths = {PathOf({0, 0}, {To(300, 0), To(300, 300), To(0, 300), To(0, 0)}, 0)};
    return m;
}

TEST(MorphInterpolation, StylesBoundsAndEdgesFollowTheRatio) {
    struct Case {
        std::uint16_t ratio;
        Rgba fill;
        std::uint16_t width;
        Point corner;  // anchor of the second edge
        std::int32_t xMax;
    };
    const Case cases[] = {
        {0, {255, 0, 0, 255}, 20, {100, 100}, 100},
        {65535, {0, 0, 255, 0}, 60, {300, 300}, 300},
        {32768, {127, 0, 127, 127}, 40, {200, 200}, 200},  // colours round down
        {16384, {191, 0, 63, 191}, 30, {150, 150}, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ratio);
        const Shape s = InterpolateMorph(Square(), c.ratio);
        ASSERT_EQ(s.fills.size(), 1u);
        EXPECT_EQ(s.fills[0].color, c.fill);
        EXPECT_EQ(s.lines[0].width, c.width);
        EXPECT_EQ(s.bounds.xMax, c.xMax);
        ASSERT_EQ(s.paths.size(), 1u);
        EXPECT_EQ(s.paths[0].fill1, 1u);  // styles are selected by the start records
        EXPECT_EQ(s.paths[0].edges.at(1).anchor, c.corner);
    }
}

TEST(MorphInterpolation, EdgesPairInOrderWhateverTheirKind) {
    struct Case {
        const char* name;
        std::vector<ShapePath> end;
        std::vector<ShapePath> expected;  // at ratio 32768 (t just over a half)
    };
    const Case cases[] = {
        {"a straight edge paired with a curve bends halfway",
         {PathOf({0, 0}, {To(300, 0), Via(400, 200, 300, 300), To(0, 300), To(0, 0)})},
         {PathOf({0, 0}, {To(200, 0), Via(250, 125, 200, 200), To(0, 200), To(0, 0)})}},
        {"edges beyond the shorter side are dropped",
         {PathOf({0, 0}, {To(300, 0), To(300, 300)})},
         {PathOf({0, 0}, {To(200, 0), To(200, 200)})}},
        {"a pen move on one side splits the path",
         {PathOf({0, 0}, {To(300, 0), To(300, 300)}), PathOf({500, 300}, {To(0, 300), To(0, 0)})},
         {PathOf({0, 0}, {To(200, 0), To(200, 200)}), PathOf({300, 200}, {To(0, 200), To(0, 0)})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MorphShape m = Square();
        m.end.paths = c.end;
        const Shape s = InterpolateMorph(m, 32768);
        ASSERT_EQ(s.paths.size(), c.expected.size());
        for (std::size_t i = 0; i < s.paths.size(); ++i) {
            EXPECT_EQ(s.paths[i].start, c.expected[i].start);
            ASSERT_EQ(s.paths[i].edges.size(), c.expected[i].edges.size());
            for (std::size_t k = 0; k < s.paths[i].edges.size(); ++k) {
                EXPECT_EQ(s.paths[i].edges[k].curved, c.expected[i].edges[k].curved);
                EXPECT_EQ(s.paths[i].edges[k].anchor, c.expected[i].edges[k].anchor);
                if (c.expected[i].edges[k].curved)
                    EXPECT_EQ(s.paths[i].edges[k].control, c.expected[i].edges[k].control);
            }
        }
    }
}

FrameCommand PlaceAt(std::uint16_t depth, std::uint16_t id, std::uint16_t ratio) {
    auto place = std::get<PlaceObject>(Place(depth, id));
    place.ratio = ratio;
    return place;
}

// Button 60: shape 1 in the up state (moved and recoloured by its record), shape 2 only when
// over, sprite 70 (showing shape 3) in up and down.
std::shared_ptr<Movie> ButtonMovie(Timeline root) {
    Button button;
    button.id = 60;
    ButtonRecord up;
    up.states = kButtonUp;
    up.characterId = 1;
    up.depth = 1;
    up.matrix.tx = 400;
    up.colorTransform.mulR = 0.5;
    ButtonRecord over = up;
    over.states = kButtonOver | kButtonHitTest;
    over.characterId = 2;
    over.depth = 2;
    ButtonRecord sprite = up;
    sprite.states = kButtonUp | kButtonDown;
    sprite.characterId = 70;
    sprite.depth = 3;
    button.records = {over, sprite, up};
    auto movie = MakeMovie(std::move(root), {Sprite{70, MakeTimeline({MakeFrame({Place(1, 3)})})}});
    movie->dictionary[60] = std::move(button);
    movie->dictionary[50] = Square();
    return movie;
}

TEST(SwfPlayerButtons, UpStateRecordsDrawWithTheirTransforms) {
    MoviePlayer player(ButtonMovie(MakeTimeline({MakeFrame({Place(1, 60, 1000)})})));
    EXPECT_EQ(DrawnIds(player), (std::vector<int>{1, 3}));
    const RenderItem first = player.renderList().front();
    EXPECT_EQ(first.matrix.tx, 1400);
    EXPECT_EQ(first.colorTransform.mulR, 0.5);
}

TEST(SwfPlayerMorphs, OneShapePerRatioSharedByItsPlacements) {
    MoviePlayer player(ButtonMovie(MakeTimeline(
        {MakeFrame({PlaceAt(1, 50, 100), PlaceAt(2, 50, 100), PlaceAt(3, 50, 200)})})));
    const auto items = player.renderList();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].shape, items[1].shape);
    EXPECT_NE(items[0].shape, items[2].shape);
    player.tick();
    EXPECT_EQ(player.renderList()[0].shape, items[0].shape);
}

TEST(SwfPlayerMorphs, CacheKeepsWhatTheLastTwoTicksUsed) {
    const MorphShape morph = Square();
    MorphCache cache;
    cache.shapeAt(morph, 1, 1);
    const Shape* second = cache.shapeAt(morph, 2, 2);
    EXPECT_EQ(cache.size(), 2u);
    cache.shapeAt(morph, 3, 3);  // the shape of tick 1 goes
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.shapeAt(morph, 2, 3), second);
    EXPECT_EQ(cache.shapeAt(morph, 2, 10), second);  // a hit sweeps nothing
    cache.shapeAt(morph, 4, 11);
    EXPECT_EQ(cache.size(), 2u);  // ratios 2 and 4
}

TEST(CharacterReplacement, OnlyGraphicsOfOneKindSwap) {
    struct Case {
        std::uint16_t from, to;
        bool swapped;
    };
    // 1, 2: shapes; 50: morph; 60: button; 70: sprite; 99: not defined.
    const Case cases[] = {{1, 2, true},   {1, 60, false}, {60, 1, false}, {70, 1, false},
                          {1, 70, false}, {1, 50, false}, {50, 50, true}, {1, 99, false}};
    const auto movie = ButtonMovie(MakeTimeline({MakeFrame({})}));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        DisplayList list;
        ApplyPlace(list, std::get<PlaceObject>(Place(1, c.from)));
        PlaceObject move = std::get<PlaceObject>(Move(1, 80));
        move.characterId = c.to;
        PlaceObject scratch;
        ApplyPlace(list, AsApplied(list, move, *movie, scratch));
        EXPECT_EQ(list.at(1).characterId, c.swapped ? c.to : c.from);
        EXPECT_EQ(list.at(1).matrix.tx, 80);
    }
}

}  // namespace
}  // namespace saver::swf
