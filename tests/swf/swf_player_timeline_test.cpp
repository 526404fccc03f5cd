#include <gtest/gtest.h>

#include "swf/player/DisplayList.h"
#include "swf/player/MoviePlayer.h"
#include "swf_player_fixture.h"

namespace saver::swf {
namespace {

using namespace test;

// Display commands on one list: what each depth shows afterwards (character, x, red add).
struct Shown {
    int depth, id;
    double tx, addR;
    bool operator==(const Shown&) const = default;
};

std::vector<Shown> Apply(const std::vector<FrameCommand>& commands) {
    DisplayList list;
    for (const auto& c : commands) {
        if (const auto* p = std::get_if<PlaceObject>(&c)) ApplyPlace(list, *p);
        if (const auto* r = std::get_if<RemoveObject>(&c)) ApplyRemove(list, *r);
    }
    std::vector<Shown> out;
    for (const auto& [depth, o] : list)
        out.push_back({depth, o.characterId, o.matrix.tx, o.colorTransform.addR});
    return out;
}

FrameCommand Tinted(std::uint16_t depth, std::uint16_t id, bool move) {
    PlaceObject p;
    p.depth = depth;
    p.move = move;
    if (id) p.characterId = id;
    p.colorTransform = ColorTransform{1, 1, 1, 1, 50, 0, 0, 0};
    return p;
}

TEST(SwfPlayerDisplayList, PlacementRules) {
    struct Case {
        const char* name;
        std::vector<FrameCommand> commands;
        std::vector<Shown> expected;
    };
    const Case cases[] = {
        {"new", {Place(1, 2, 40)}, {{1, 2, 40, 0}}},
        {"move keeps colour", {Tinted(1, 2, false), Move(1, 70)}, {{1, 2, 70, 50}}},
        {"move keeps matrix", {Place(1, 2, 40), Tinted(1, 0, true)}, {{1, 2, 40, 50}}},
        {"new replaces occupied depth", {Tinted(1, 2, false), Place(1, 3, 5)}, {{1, 3, 5, 0}}},
        {"move with character swaps it", {Place(1, 2, 40), Tinted(1, 3, true)}, {{1, 3, 40, 50}}},
        {"move on empty depth", {Move(4, 10)}, {}},
        {"move with character on empty depth", {Tinted(4, 3, true)}, {}},
        {"remove", {Place(1, 2), Place(2, 3), Remove(1)}, {{2, 3, 0, 0}}},
        {"remove empty depth", {Place(1, 2), Remove(7)}, {{1, 2, 0, 0}}},
        {"depth order", {Place(9, 1), Place(2, 3)}, {{2, 3, 0, 0}, {9, 1, 0, 0}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Apply(c.commands), c.expected) << c.name;
}

TEST(SwfPlayerDisplayList, RatioIsKeptAcrossMoves) {
    DisplayList list;
    PlaceObject p;
    p.depth = 1;
    p.characterId = 2;
    p.ratio = 300;
    ApplyPlace(list, p);
    ApplyPlace(list, std::get<PlaceObject>(Move(1, 5)));
    EXPECT_EQ(list.at(1).ratio, 300);
}

// The root timeline frame by frame: the frame number and what is drawn after each tick.
struct Step {
    int frame;
    std::vector<int> drawn;
};

void ExpectSteps(MoviePlayer& player, const std::vector<Step>& steps, const char* name) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i > 0) player.tick();
        EXPECT_EQ(player.currentFrame(), steps[i].frame) << name << " step " << i;
        EXPECT_EQ(DrawnIds(player), steps[i].drawn) << name << " step " << i;
    }
}

TEST(SwfPlayerTimeline, RootFrames) {
    struct Case {
        const char* name;
        Timeline root;
        std::vector<Step> steps;  // the first is the state right after loading
    };
    const Case cases[] = {
        {"loops after the last frame",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2)}), MakeFrame({Remove(1)})}),
         {{0, {1}}, {1, {1, 2}}, {2, {2}}, {0, {1}}, {1, {1, 2}}}},
        {"stop in a frame holds it",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2), Actions({Stop()})}),
                       MakeFrame({Remove(1)})}),
         {{0, {1}}, {1, {1, 2}}, {1, {1, 2}}, {1, {1, 2}}}},
        {"actions run after the frame's display commands",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Actions({Stop()}), Place(2, 2)})}),
         {{0, {1}}, {1, {1, 2}}, {1, {1, 2}}}},
        {"goto back rebuilds the list",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2), Move(1, 9)}),
                       MakeFrame({Remove(1), Place(3, 3), Actions({GotoFrame(0), Play()})})}),
         {{0, {1}}, {1, {1, 2}}, {0, {1}}, {1, {1, 2}}, {0, {1}}}},
        {"goto forward applies skipped frames and stops",
         MakeTimeline({MakeFrame({Place(1, 1), Actions({GotoFrame(2)})}), MakeFrame({Place(2, 2)}),
                       MakeFrame({Place(3, 3)})}),
         {{2, {1, 2, 3}}, {2, {1, 2, 3}}}},
        {"goto past the end clamps to the last frame",
         MakeTimeline({MakeFrame({Actions({GotoFrame(500)})}), MakeFrame({Place(4, 4)})}),
         {{1, {4}}, {1, {4}}}},
        {"goto label, case-insensitive",
         MakeTimeline({MakeFrame({Actions({GotoLabel("END")})}), MakeFrame({Place(1, 1)}),
                       MakeFrame({Place(2, 2)}, {"end"})}),
         {{2, {1, 2}}, {2, {1, 2}}}},
        {"unknown label is ignored",
         MakeTimeline({MakeFrame({Actions({GotoLabel("nowhere")})}), MakeFrame({Place(1, 1)})}),
         {{0, {}}, {1, {1}}, {0, {}}}},
        {"nextFrame steps and stops",
         MakeTimeline({MakeFrame({Actions({NextFrame()})}), MakeFrame({Place(1, 1)}),
                       MakeFrame({Place(2, 2)})}),
         {{1, {1}}, {1, {1}}}},
        {"prevFrame steps back and stops",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2)}),
                       MakeFrame({Actions({PrevFrame()})})}),
         {{0, {1}}, {1, {1, 2}}, {1, {1, 2}}, {1, {1, 2}}}},
        {"gotoAndPlay keeps playing",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2)}),
                       MakeFrame({Actions({GotoFrame(0), Play()})})}),
         {{0, {1}}, {1, {1, 2}}, {0, {1}}, {1, {1, 2}}, {0, {1}}}},
        {"gotoFrame alone stops",
         MakeTimeline({MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2)}),
                       MakeFrame({Actions({GotoFrame(0)})})}),
         {{0, {1}}, {1, {1, 2}}, {0, {1}}, {0, {1}}}},
        {"frames that jump to each other do not hang",
         MakeTimeline({MakeFrame({Actions({GotoFrame(1)})}), MakeFrame({Actions({GotoFrame(0)})})}),
         {{0, {}}, {0, {}}}},
        {"an empty timeline stays at frame 0", MakeTimeline({}), {{0, {}}, {0, {}}}},
        {"unknown characters draw nothing",
         MakeTimeline({MakeFrame({Place(1, 77), Place(2, 2)})}),
         {{0, {2}}, {0, {2}}}},
    };
    for (const auto& c : cases) {
        MoviePlayer player(MakeMovie(c.root));
        ExpectSteps(player, c.steps, c.name);
    }
}

TEST(SwfPlayerTimeline, RewindRebuildsFirstFrameAndKeepsPlayingState) {
    MoviePlayer player(MakeMovie(MakeTimeline(
        {MakeFrame({Place(1, 1)}), MakeFrame({Place(2, 2)}), MakeFrame({Remove(1)})})));
    player.tick();
    player.tick();
    player.stop();
    player.rewind();
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_EQ(DrawnIds(player), (std::vector<int>{1}));
    EXPECT_FALSE(player.isPlaying());
    player.tick();
    EXPECT_EQ(player.currentFrame(), 0);
    player.play();
    player.tick();
    EXPECT_EQ(player.currentFrame(), 1);
}

TEST(SwfPlayerTimeline, RewindRunsFirstFrameActionsAgain) {
    MoviePlayer player(MakeMovie(
        MakeTimeline({MakeFrame({Place(1, 1), Actions({Stop()})}), MakeFrame({Place(2, 2)})})));
    EXPECT_FALSE(player.isPlaying());
    player.play();
    player.tick();
    EXPECT_EQ(player.currentFrame(), 1);
    player.rewind();
    EXPECT_EQ(player.currentFrame(), 0);
    EXPECT_FALSE(player.isPlaying());
}

TEST(SwfPlayerTimeline, CountsAndDefaults) {
    auto movie = MakeMovie(MakeTimeline({MakeFrame({}), MakeFrame({})}));
    movie->header.frameRate = 0;
    MoviePlayer player(movie);
    EXPECT_EQ(player.totalFrames(), 2);
    EXPECT_GT(player.frameRate(), 0);
    EXPECT_EQ(player.background(), (Rgba{255, 255, 255, 255}));
    MoviePlayer empty(MakeMovie(MakeTimeline({})));
    EXPECT_EQ(empty.totalFrames(), 1);
}

}  // namespace
}  // namespace saver::swf
