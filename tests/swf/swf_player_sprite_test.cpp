#include <gtest/gtest.h>

#include "swf/format/FrameActions.h"
#include "swf/player/MoviePlayer.h"
#include "swf_player_fixture.h"

namespace saver::swf {
namespace {

using namespace test;

Sprite MakeSprite(std::uint16_t id, std::vector<Frame> frames) {
    return Sprite{id, MakeTimeline(std::move(frames))};
}

// A sprite 20 showing shapes 1, 2, 3 in its three frames.
Sprite Counter(std::vector<FrameCommand> secondFrameExtra = {}) {
    std::vector<FrameCommand> second{Remove(1), Place(1, 2)};
    second.insert(second.end(), secondFrameExtra.begin(), secondFrameExtra.end());
    return MakeSprite(
        20, {MakeFrame({Place(1, 1)}), MakeFrame(second), MakeFrame({Remove(1), Place(1, 3)})});
}

TEST(SwfPlayerSprites, EachSpritePlaysItsOwnFrames) {
    struct Case {
        const char* name;
        Timeline root;
        Sprite sprite;
        std::vector<std::vector<int>> drawn;  // after loading, then after each tick
        std::vector<int> rootFrames;
        int version = 6;
    };
    const Case cases[] = {
        {"loops while the root is stopped",
         MakeTimeline({MakeFrame({Place(1, 20), Actions({Stop()})})}),
         Counter(),
         {{1}, {2}, {3}, {1}, {2}},
         {0, 0, 0, 0, 0}},
        {"stop inside the sprite holds the sprite only",
         MakeTimeline({MakeFrame({Place(1, 20)}), MakeFrame({})}),
         Counter({Actions({Stop()})}),
         {{1}, {2}, {2}, {2}},
         {0, 1, 0, 1}},
        {"goto inside the sprite moves the sprite only",
         MakeTimeline({MakeFrame({Place(1, 20)}), MakeFrame({})}),
         Counter({Actions({GotoFrame(0), Play()})}),
         {{1}, {1}, {1}},
         {0, 1, 0}},
        {"kept across the root's loop",
         MakeTimeline({MakeFrame({Place(1, 20), Place(2, 9)}), MakeFrame({Remove(2)})}),
         Counter(),
         {{1, 9}, {2}, {3, 9}, {1}},
         {0, 1, 0, 1}},
        {"a new placement starts at frame 0 and waits a tick",
         MakeTimeline({MakeFrame({}), MakeFrame({Place(1, 20)}), MakeFrame({})}),
         Counter(),
         {{}, {1}, {2}, {}, {1}},
         {0, 1, 2, 0, 1}},
        {"SWF 5: replaced at its depth starts over",
         MakeTimeline({MakeFrame({Place(1, 20)}), MakeFrame({Place(1, 20)})}),
         Counter(),
         {{1}, {1}, {2}, {1}},
         {0, 1, 0, 1},
         5},
        {"SWF 6: placed again at its depth, it plays on",
         MakeTimeline({MakeFrame({Place(1, 20)}), MakeFrame({Place(1, 20)})}),
         Counter(),
         {{1}, {2}, {3}, {1}},
         {0, 1, 0, 1}},
    };
    for (const auto& c : cases) {
        auto movie = MakeMovie(c.root, {c.sprite});
        movie->header.version = static_cast<std::uint8_t>(c.version);
        MoviePlayer player(movie);
        for (std::size_t i = 0; i < c.drawn.size(); ++i) {
            if (i > 0) player.tick();
            EXPECT_EQ(DrawnIds(player), c.drawn[i]) << c.name << " step " << i;
            EXPECT_EQ(player.currentFrame(), c.rootFrames[i]) << c.name << " step " << i;
        }
    }
}

TEST(SwfPlayerSprites, TransformsCompose) {
    PlaceObject outer = std::get<PlaceObject>(Place(1, 20, 100));
    outer.matrix->a = 2;
    outer.colorTransform = ColorTransform{0.5, 1, 1, 1, 10, 0, 0, 0};
    PlaceObject inner = std::get<PlaceObject>(Place(1, 1, 10));
    inner.colorTransform = ColorTransform{1, 1, 1, 1, 20, 0, 0, 0};
    MoviePlayer player(
        MakeMovie(MakeTimeline({MakeFrame({outer})}), {MakeSprite(20, {MakeFrame({inner})})}));
    const auto items = player.renderList();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_DOUBLE_EQ(items[0].matrix.a, 2);
    EXPECT_DOUBLE_EQ(items[0].matrix.tx, 120);  // inner x scaled by the outer matrix, then moved
    EXPECT_DOUBLE_EQ(items[0].colorTransform.mulR, 0.5);
    EXPECT_DOUBLE_EQ(items[0].colorTransform.addR, 20);  // 20 * 0.5 + 10
}

TEST(SwfPlayerSprites, MaskLayersAreNotDrawn) {
    PlaceObject mask = std::get<PlaceObject>(Place(1, 1));
    mask.clipDepth = 5;
    MoviePlayer player(MakeMovie(MakeTimeline({MakeFrame({mask, Place(2, 2)})})));
    EXPECT_EQ(DrawnIds(player), (std::vector<int>{2}));
}

TEST(SwfPlayerSprites, SelfPlacingSpriteIsBounded) {
    // Sprite 20 places itself twice: without limits this never ends.
    MoviePlayer player(MakeMovie(
        MakeTimeline({MakeFrame({Place(1, 20)})}),
        {MakeSprite(20, {MakeFrame({Place(1, 20), Place(2, 20), Place(3, 1)}), MakeFrame({})})}));
    for (int i = 0; i < 3; ++i) player.tick();
    const auto drawn = DrawnIds(player);
    EXPECT_FALSE(drawn.empty());
    EXPECT_LE(drawn.size(), 4096u);
}

TEST(SwfPlayerActions, Decoding) {
    using Kind = FrameAction::Kind;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::vector<FrameAction> expected;
    };
    const Case cases[] = {
        {"simple actions",
         {0x07, 0x06, 0x04, 0x05, 0x00},
         {{Kind::Stop, 0, {}},
          {Kind::Play, 0, {}},
          {Kind::NextFrame, 0, {}},
          {Kind::PrevFrame, 0, {}}}},
        {"gotoFrame", {0x81, 2, 0, 0x2C, 0x01, 0x00}, {{Kind::GotoFrame, 300, {}}}},
        {"gotoLabel",
         {0x8C, 3, 0, 'a', 'b', 0, 0x07},
         {{Kind::GotoLabel, 0, "ab"}, {Kind::Stop, 0, {}}}},
        {"label without its NUL", {0x8C, 2, 0, 'a', 'b'}, {{Kind::GotoLabel, 0, "ab"}}},
        {"stops at the end code", {0x07, 0x00, 0x06}, {{Kind::Stop, 0, {}}}},
        {"other records skipped by length",
         {0x96, 3, 0, 0x07, 0x07, 0x07, 0x17, 0x06},
         {{Kind::Play, 0, {}}}},
        {"record running past the end", {0x06, 0x96, 9, 0, 0x07}, {{Kind::Play, 0, {}}}},
        {"length cut short", {0x06, 0x81, 2}, {{Kind::Play, 0, {}}}},
        {"gotoFrame too short", {0x81, 1, 0, 5, 0x07}, {{Kind::Stop, 0, {}}}},
        {"empty", {}, {}},
        {"ends at a branch",
         {0x07, 0x9D, 2, 0, 3, 0, 0x81, 2, 0, 1, 0, 0x06},
         {{Kind::Stop, 0, {}}}},
        {"ends at a jump", {0x06, 0x99, 2, 0, 0, 0, 0x07}, {{Kind::Play, 0, {}}}},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeFrameActions(c.bytes), c.expected) << c.name;
}

}  // namespace
}  // namespace saver::swf
