// The writer's showcase samples read back and played: the effects movie's morph shape and
// filter lists (PlaceObject3) come back as written, and the scripted clock draws its hands,
// sparks and time in the embedded font when its script runs.
#if __has_include("swfwriter/SwfWriter.h")

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"
#include "swf/text/SystemFontSource.h"
#include "swfwriter/EffectsMovie.h"
#include "swfwriter/SampleMovies.h"

namespace saver::swf {
namespace {

const PlaceObject* PlacementAt(const Frame& frame, std::uint16_t depth) {
    for (const FrameCommand& c : frame.commands)
        if (const auto* p = std::get_if<PlaceObject>(&c); p && p->depth == depth) return p;
    return nullptr;
}

TEST(SwfShowcaseSamplesTest, EffectsMorphAndFiltersReadBack) {
    const Movie m = ReadMovie(*swfwriter::BuildSample("effects"));
    const MorphShape* morph = nullptr;
    for (const auto& [id, character] : m.dictionary)
        if (const auto* found = std::get_if<MorphShape>(&character)) morph = found;
    ASSERT_NE(morph, nullptr);
    ASSERT_EQ(morph->start.paths.size(), 1u);
    ASSERT_EQ(morph->end.paths.size(), 1u);
    EXPECT_EQ(morph->start.paths[0].edges.size(), 16u);
    EXPECT_EQ(morph->end.paths[0].edges.size(), 16u);
    EXPECT_EQ(morph->start.fills.at(0).color, (Rgba{255, 150, 40, 255}));
    EXPECT_EQ(morph->end.fills.at(0).color, (Rgba{170, 70, 230, 255}));
    EXPECT_EQ(morph->end.paths[0].start, (Point{0, -110 * 20}));  // the star's top point

    ASSERT_EQ(m.root.frames.size(), static_cast<std::size_t>(swfwriter::kEffectsFrames));
    const Frame& first = m.root.frames[0];
    struct Case {
        std::uint16_t depth;
        FilterKind kind;
        double blur, distance, strength;
    };
    const Case cases[] = {{1, FilterKind::DropShadow, 10, 17, 1},
                          {2, FilterKind::Glow, 18, 0, 2},
                          {3, FilterKind::Blur, 0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        const PlaceObject* p = PlacementAt(first, c.depth);
        ASSERT_NE(p, nullptr);
        ASSERT_TRUE(p->filters.has_value());
        ASSERT_EQ(p->filters->size(), 1u);
        const Filter& f = p->filters->front();
        EXPECT_EQ(f.kind, c.kind);
        EXPECT_NEAR(f.blurX, c.blur, 1e-3);
        EXPECT_NEAR(f.distance, c.distance, 1e-3);
        EXPECT_NEAR(f.strength, c.strength, 1e-3);
    }
    EXPECT_NEAR(PlacementAt(first, 1)->filters->front().angle, std::numbers::pi / 4, 1e-4);
    EXPECT_EQ(PlacementAt(first, 1)->ratio, 0);
    EXPECT_EQ(PlacementAt(m.root.frames[48], 1)->ratio, 65535);
    const PlaceObject* blurred = PlacementAt(m.root.frames[48], 3);
    ASSERT_NE(blurred, nullptr);
    EXPECT_NEAR(blurred->filters->front().blurX, 12, 1e-3);
}

// Pixels of `image` within (x0..x1, y0..y1) whose colour is within 40 of `c` on every channel.
int Count(const BgraImage& image, int x0, int y0, int x1, int y1, Rgba c) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* p =
                &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
            if (std::abs(p[2] - c.r) < 40 && std::abs(p[1] - c.g) < 40 && std::abs(p[0] - c.b) < 40)
                ++n;
        }
    return n;
}

TEST(SwfShowcaseSamplesTest, ScriptClockDrawsHandsSparksAndTime) {
    const auto movie =
        std::make_shared<const Movie>(ReadMovie(*swfwriter::BuildSample("scriptclock")));
    MoviePlayer player(movie, std::make_unique<avm1::ScriptRunner>(movie, nullptr));
    player.setFontSource(MakeSystemFontSource());
    player.tick();
    const std::size_t early = player.renderList().size();
    for (int i = 0; i < 10; ++i) player.tick();
    const std::vector<RenderItem> items = player.renderList();
    EXPECT_GT(items.size(), early + 3) << "sparks are duplicated every frame";

    BgraImage image;
    image.resize(560, 320);
    Renderer renderer;
    renderer.render(items, player.background(),
                    StageTransform(movie->header.frameSize, 560, 320, 0), Quality::High, image);
    // Inside the dial (radius 120 about 160,160): the dark hour and minute hands with the
    // hour marks, the red second hand.
    EXPECT_GT(Count(image, 40, 40, 280, 280, {30, 36, 64}), 800);
    EXPECT_GT(Count(image, 40, 40, 280, 280, {210, 30, 30}), 60);
    // The time in the embedded digits, amber, in its field.
    EXPECT_GT(Count(image, 310, 104, 550, 160, {255, 196, 60}), 400);
}

}  // namespace
}  // namespace saver::swf

#endif
