// Mask layers in the player core: the clip roles of the render list, and one movie rendered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/player/MoviePlayer.h"
#include "swf_player_fixture.h"
#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

FrameCommand PlaceMask(std::uint16_t depth, std::uint16_t id, std::uint16_t clipDepth) {
    PlaceObject p = std::get<PlaceObject>(Place(depth, id));
    p.clipDepth = clipDepth;
    return p;
}

// A placement with SWF 8 effects: a blend mode, a filter list, bitmap caching, a colour.
FrameCommand PlaceWith(std::uint16_t depth, std::uint16_t id, std::uint8_t blendMode,
                       bool filtered = false, bool cached = false, double alpha = 1) {
    static const std::vector<Filter> kFilters(1);
    PlaceObject p = std::get<PlaceObject>(Place(depth, id));
    p.blendMode = blendMode;
    if (filtered) p.filters = kFilters;
    p.cacheAsBitmap = cached;
    if (alpha != 1) p.colorTransform = ColorTransform{1, 1, 1, alpha, 0, 0, 0, 0};
    return p;
}

Sprite MakeSprite(std::uint16_t id, std::vector<FrameCommand> commands) {
    return Sprite{id, MakeTimeline({MakeFrame(std::move(commands))})};
}

// The render list as text: "B" BeginMask, "U" Unmask, "M<id>" a mask shape, "D<id>" a drawn one,
// "G" BeginGroup, "E" EndGroup.
std::string Roles(const std::vector<RenderItem>& items) {
    std::string r;
    for (const RenderItem& item : items) {
        if (!r.empty()) r += ' ';
        switch (item.role) {
            case ClipRole::BeginMask:
                r += 'B';
                break;
            case ClipRole::Unmask:
                r += 'U';
                break;
            case ClipRole::Mask:
                r += 'M' + std::to_string(item.shape->id);
                break;
            case ClipRole::Draw:
                r += 'D' + std::to_string(item.shape->id);
                break;
            case ClipRole::BeginGroup:
                r += 'G';
                break;
            case ClipRole::EndGroup:
                r += 'E';
                break;
        }
    }
    return r;
}

TEST(SwfPlayerMasks, RoleSequence) {
    struct Case {
        const char* name;
        std::vector<FrameCommand> root;
        std::vector<Sprite> sprites;
        std::string expected;
    };
    const Case cases[] = {
        {"clips up to and including its clip depth",
         {PlaceMask(1, 1, 3), Place(2, 2), Place(3, 3), Place(4, 4)},
         {},
         "B M1 D2 D3 U D4"},
        {"range not starting right above the mask",
         {Place(1, 9), PlaceMask(4, 1, 8), Place(6, 2), Place(8, 3), Place(9, 4)},
         {},
         "D9 B M1 D2 D3 U D4"},
        {"list ends inside the range", {PlaceMask(1, 1, 10), Place(2, 2)}, {}, "B M1 D2 U"},
        {"mask with nothing above it", {PlaceMask(1, 1, 10)}, {}, "B M1 U"},
        {"clip depth not above its own depth is left out",
         {Place(1, 2), PlaceMask(5, 1, 5), Place(6, 3)},
         {},
         "D2 D3"},
        {"masks one after the other",
         {PlaceMask(1, 1, 2), Place(2, 2), PlaceMask(3, 3, 4), Place(4, 4)},
         {},
         "B M1 D2 U B M3 D4 U"},
        {"nested masks nest",
         {PlaceMask(1, 1, 10), Place(2, 2), PlaceMask(3, 3, 5), Place(4, 4), Place(6, 6)},
         {},
         "B M1 D2 B M3 D4 U D6 U"},
        {"an inner range past the outer one stays clipped by both",
         {PlaceMask(1, 1, 3), PlaceMask(2, 2, 10), Place(3, 3), Place(4, 4), Place(11, 5)},
         {},
         "B M1 B M2 D3 D4 U U D5"},
        {"sprite as mask is flattened",
         {PlaceMask(1, 20, 2), Place(2, 2)},
         {MakeSprite(20, {Place(1, 7), Place(2, 8)})},
         "B M7 M8 D2 U"},
        {"a mask sprite's own mask shapes do not add to it",
         {PlaceMask(1, 20, 2), Place(2, 2)},
         {MakeSprite(20, {PlaceMask(1, 5, 2), Place(2, 6)})},
         "B M6 D2 U"},
        {"a clipped sprite's shapes are clipped",
         {PlaceMask(1, 1, 2), Place(2, 20), Place(3, 3)},
         {MakeSprite(20, {Place(1, 7), Place(2, 8)})},
         "B M1 D7 D8 U D3"},
        {"a mask inside a sprite clips the sprite's children only",
         {Place(1, 20), Place(2, 9)},
         {MakeSprite(20, {PlaceMask(1, 5, 2), Place(2, 6), Place(3, 7)})},
         "B M5 D6 U D7 D9"},
        {"a sprite's mask ending with the sprite inside a root mask",
         {PlaceMask(1, 1, 3), Place(2, 20), Place(3, 3), Place(4, 4)},
         {MakeSprite(20, {PlaceMask(1, 5, 9), Place(2, 6)})},
         "B M1 B M5 D6 U D3 U D4"},
        {"a filtered shape is a group", {PlaceWith(1, 1, 0, true), Place(2, 2)}, {}, "G D1 E D2"},
        {"a blended sprite is a group of its shapes",
         {PlaceWith(1, 20, 3)},
         {MakeSprite(20, {Place(1, 7), PlaceWith(2, 8, 1)})},
         "G D7 D8 E"},
        {"bitmap caching groups every cached object, so it lands on whole pixels",
         {PlaceWith(1, 1, 0, false, true), PlaceWith(2, 2, 0, false, true, 0.5)},
         {},
         "G D1 E G D2 E"},
        {"a group inside a mask's range",
         {PlaceMask(1, 1, 3), PlaceWith(2, 2, 4)},
         {},
         "B M1 G D2 E U"},
        {"a mask's own effects play no part",
         {PlaceMask(1, 20, 2), Place(2, 2)},
         {MakeSprite(20, {PlaceWith(1, 7, 3, true)})},
         "B M7 D2 U"},
        {"unknown mask character shows nothing and clips nothing",
         {PlaceMask(1, 99, 3), Place(2, 2)},
         {},
         "D2"},
    };
    for (const auto& c : cases) {
        MoviePlayer player(MakeMovie(MakeTimeline({MakeFrame(c.root)}), c.sprites));
        EXPECT_EQ(Roles(player.renderList()), c.expected) << c.name;
    }
}

TEST(SwfPlayerMasks, MaskFollowsTheDisplayList) {
    // Frame 1 moves the mask's clip depth over depth 3; frame 2 removes the mask.
    PlaceObject widen;
    widen.version = 2;
    widen.depth = 1;
    widen.move = true;
    widen.clipDepth = 3;
    MoviePlayer player(MakeMovie(MakeTimeline({
        MakeFrame({PlaceMask(1, 1, 2), Place(2, 2), Place(3, 3)}),
        MakeFrame({widen}),
        MakeFrame({Remove(1)}),
    })));
    const char* expected[] = {"B M1 D2 U D3", "B M1 D2 D3 U", "D2 D3", "B M1 D2 U D3"};
    for (int step = 0; step < 4; ++step) {
        if (step > 0) player.tick();
        EXPECT_EQ(Roles(player.renderList()), expected[step]) << "step " << step;
    }
}

Shape Square(std::uint16_t id, double x0, double y0, double x1, double y1, Rgba color) {
    Shape s;
    s.id = id;
    s.fills = {Solid(color)};
    s.paths = {Box(x0, y0, x1, y1, 0, 1)};
    return s;
}

TEST(SwfPlayerMasks, RenderedMovieIsClipped) {
    auto movie =
        MakeMovie(MakeTimeline({MakeFrame({PlaceMask(1, 31, 2), Place(2, 30), Place(3, 32)})}));
    movie->dictionary[30] = Square(30, 0, 0, 20, 15, kRed);
    movie->dictionary[31] = Square(31, 5, 5, 10, 10, kBlack);
    movie->dictionary[32] = Square(32, 0, 15, 20, 20, kBlue);
    MoviePlayer player(movie);
    BgraImage img;
    img.resize(20, 20);
    Renderer renderer;
    renderer.render(player.renderList(), kWhite, kPixelStage, Quality::High, img);
    EXPECT_EQ(PixelAt(img, 7, 7), kRed);    // red inside the mask
    EXPECT_EQ(PixelAt(img, 2, 2), kWhite);  // red outside the mask: clipped away
    EXPECT_EQ(PixelAt(img, 12, 7), kWhite);
    EXPECT_EQ(PixelAt(img, 7, 12), kWhite);
    EXPECT_EQ(PixelAt(img, 7, 17), kBlue);  // above the clip depth: drawn in full
    EXPECT_EQ(PixelAt(img, 2, 17), kBlue);
}

// Masks set by scripts: sprite 20 (shape 7) at depth 1, sprite 21 (shape 8) at depth 2, shape 9
// at depth 3; each step sets a mask (maskee depth, mask depth; 0 takes it off).
TEST(SwfPlayerMasks, ScriptMaskRoles) {
    struct Step {
        int maskee, mask;
        const char* expected;
    };
    const Step steps[] = {
        {2, 1, "B M7 D8 U D9"},  // the mask is not drawn where it stands
        {1, 2, "B M8 D7 U D9"},  // taking a clip's mask for another frees both ends
        {1, 1, "D7 D8 D9"},      // a clip cannot mask itself: the mask comes off
        {1, 2, "B M8 D7 U D9"}, {1, 0, "D7 D8 D9"},
    };
    MoviePlayer player(
        MakeMovie(MakeTimeline({MakeFrame({Place(1, 20), Place(2, 21), Place(3, 9)})}),
                  {MakeSprite(20, {Place(1, 7)}), MakeSprite(21, {Place(1, 8)})}));
    auto& list = player.root().displayList();
    for (const Step& s : steps) {
        auto mask = s.mask ? list.at(s.mask).sprite : nullptr;
        list.at(s.maskee).sprite->setScriptMask(mask);
        EXPECT_EQ(Roles(player.renderList()), s.expected) << s.maskee << " by " << s.mask;
    }
    // Once the mask leaves the stage the clip shows in full.
    player.root().displayList().at(2).sprite->setScriptMask(list.at(1).sprite);
    player.root().removeAt(1);
    EXPECT_EQ(Roles(player.renderList()), "D8 D9");
}

}  // namespace
}  // namespace saver::swf
