// Script bitmaps: the player's colour round trip, copies within one surface, flood fill, the
// bitmap budget, and a BitmapData shown through attachBitmap and beginBitmapFill.
#include <gtest/gtest.h>

#include <limits>

#include "swf/avm1/BitmapDataObject.h"
#include "swf/render/BitmapLibrary.h"
#include "swf/render/BitmapSurface.h"
#include "swf/render/Renderer.h"
#include "swf_avm1_clip_run.h"
#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

std::shared_ptr<BitmapSurface> Surface(BitmapLibrary& library, int w, int h, bool transparent,
                                       std::uint32_t argb = 0) {
    auto s = library.makeSurface(w, h, transparent, argb);
    EXPECT_TRUE(s);
    return s;
}

// What the player reads back after storing a colour (traces of the player's own runs).
TEST(SwfBitmapSurface, ColoursReadBackAsThePlayerRoundsThem) {
    Movie movie;
    BitmapLibrary library(movie);
    struct Case {
        bool transparent;
        std::uint32_t stored, read;
    };
    const Case cases[] = {
        {true, 0xFFFFFFFF, 0xFFFFFFFF},  {true, 0x80FFFFFF, 0x80FFFFFF},
        {true, 0x00FFFFFF, 0x00000000},  {true, 0x8DFFFFFF, 0x8DFEFEFE},
        {true, 0x01FFFFFF, 0x01FFFFFF},  {false, 0x80FFFFFF, 0xFFFFFFFF},
        {false, 0x00123456, 0xFF123456},
    };
    for (const Case& c : cases) {
        auto s = Surface(library, 1, 1, c.transparent);
        s->setPixel32(0, 0, c.stored);
        EXPECT_EQ(s->getPixel32(0, 0), c.read) << std::hex << c.stored;
    }
    // setPixel keeps the alpha already there.
    auto s = Surface(library, 1, 1, true, 0x80FFFFFF);
    s->setPixel(0, 0, 0xBBBBBB);
    EXPECT_EQ(s->getPixel32(0, 0), 0x80BBBBBBu);
}

TEST(SwfBitmapSurface, OverlappingCopyReadsThePictureBeforeTheCall) {
    Movie movie;
    BitmapLibrary library(movie);
    auto s = Surface(library, 4, 1, false);
    for (int x = 0; x < 4; ++x) s->setPixel(x, 0, static_cast<std::uint32_t>(x + 1));
    s->scroll(1, 0);
    EXPECT_EQ(s->getPixel(0, 0), 1u);  // uncovered: left as it was
    for (int x = 1; x < 4; ++x) EXPECT_EQ(s->getPixel(x, 0), static_cast<std::uint32_t>(x));
    // A rectangle far outside either surface copies nothing and is safe.
    s->copyPixels(*s, {-(1LL << 40), 0, 1LL << 41, 1}, 1LL << 40, 0, false);
    EXPECT_EQ(s->getPixel(3, 0), 3u);
}

// Numbers a script may pass that are no lattice coordinates: the noise stays defined (the
// sanitisers check the conversions) and a stitched picture keeps its tile across octaves.
TEST(SwfBitmapSurface, PerlinNoiseTakesAnyNumbers) {
    Movie movie;
    BitmapLibrary library(movie);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double baseX, baseY, offset;
        int octaves, seed;
    };
    const Case cases[] = {{nan, 1e-300, 0, 3, 0},
                          {inf, -inf, 1e300, 2, -2147483647 - 1},
                          {1e-300, 5, -1e18, 32, 7},
                          {0.001, 0.001, nan, 40, 2147483647},
                          {-30, 20, 4e9, 1, 1}};
    for (const Case& c : cases) {
        auto s = Surface(library, 8, 8, true);
        BitmapSurface::PerlinOptions o;
        o.baseX = c.baseX, o.baseY = c.baseY, o.octaves = c.octaves, o.seed = c.seed;
        o.stitch = true, o.fractal = true, o.channels = 15;
        o.offsets.assign(3, {c.offset, c.offset});
        s->perlinNoise(o);
        EXPECT_FALSE(s->disposed());
    }
}

TEST(SwfBitmapSurface, FloodFillStopsAtOtherColours) {
    Movie movie;
    BitmapLibrary library(movie);
    auto s = Surface(library, 3, 3, false, 0xFFFFFFFF);
    for (int y = 0; y < 3; ++y) s->setPixel32(1, y, 0xFF000000);  // a wall down the middle
    EXPECT_TRUE(s->floodFill(0, 0, 0xFFFF0000));
    EXPECT_FALSE(s->floodFill(0, 0, 0xFFFF0000));  // already that colour
    EXPECT_EQ(s->getPixel32(0, 2), 0xFFFF0000u);
    EXPECT_EQ(s->getPixel32(2, 0), 0xFFFFFFFFu);
}

TEST(SwfBitmapSurface, SurfacesAreChargedToTheBitmapBudget) {
    Movie movie;
    BitmapLibrary library(movie, 64 * 64 * 4);
    auto a = library.makeSurface(64, 32, true, 0);
    auto b = library.makeSurface(64, 32, true, 0);
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(library.makeSurface(1, 1, true, 0));
    b->dispose();
    EXPECT_FALSE(library.find(b->id()));
    auto c = library.makeSurface(64, 32, true, 0);
    EXPECT_TRUE(c);
    a.reset();  // gone: its bytes come back and its id finds nothing
    EXPECT_TRUE(library.makeSurface(64, 32, true, 0));
    EXPECT_FALSE(library.makeSurface(0, 5, true, 0));
}

// A BitmapData attached to a clip and used as a fill shows its pixels as they are at the
// frame, one pixel per pixel.
TEST(SwfBitmapSurface, ScriptBitmapsShowWhereTheyAreAttachedAndFilled) {
    ClipRun run;
    auto& vm = run.vm();
    const avm1::Value ctor =
        vm.getMember(vm.getMember(run.global("flash"), "display"), "BitmapData");
    const avm1::Value bmp = vm.construct(ctor, {2.0, 2.0, false, static_cast<double>(0xFF0000FF)});
    ASSERT_TRUE(avm1::SurfaceOf(bmp));
    vm.callMethod(run.object, "attachBitmap", {bmp, 1.0});
    vm.callMethod(run.object, "beginBitmapFill", {bmp});
    for (auto [x, y] : {std::pair{4.0, 0.0}, {8.0, 0.0}, {8.0, 2.0}, {4.0, 2.0}})
        vm.callMethod(run.object, x == 4.0 && y == 0.0 ? "moveTo" : "lineTo", {x, y});
    vm.callMethod(run.object, "endFill", {});
    vm.callMethod(bmp, "setPixel", {1.0, 1.0, static_cast<double>(0x00FF00)});

    BgraImage image;
    image.resize(10, 4);
    Renderer renderer;
    renderer.render(run.player->renderList(), kWhite, kPixelStage, Quality::High, image);
    EXPECT_EQ(PixelAt(image, 0, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(image, 1, 1), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(PixelAt(image, 2, 0), kWhite);
    EXPECT_EQ(PixelAt(image, 7, 1), (Rgba{0, 255, 0, 255}));  // repeated from x = 4
    EXPECT_EQ(PixelAt(image, 4, 0), (Rgba{0, 0, 255, 255}));
    vm.callMethod(bmp, "dispose", {});
    renderer.render(run.player->renderList(), kWhite, kPixelStage, Quality::High, image);
    EXPECT_EQ(PixelAt(image, 0, 0), kWhite);
}

}  // namespace
}  // namespace saver::swf
