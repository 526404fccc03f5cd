// Kept group pictures: what makes a group's picture new, and that a frame drawn with kept
// pictures is the frame drawn anew.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "swf/render/GroupCache.h"
#include "swf/render/LayerBlend.h"
#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

const Shape kRedSquare = Square(4, 4, 12, 12, kRed);
const Shape kBlueSquare = Square(8, 6, 16, 14, kBlue);
const std::vector<Filter> kBlur = [] {
    Filter f;
    f.blurX = f.blurY = 4;
    return std::vector<Filter>{f};
}();

RenderItem Item(const Shape* shape, ClipRole role = ClipRole::Draw) {
    RenderItem item{shape, {}, {}, role};
    item.source = 1;
    return item;
}

// A multiply group holding a blurred group of the red square, and the blue square.
std::vector<RenderItem> Frame() {
    RenderItem outer = Item(nullptr, ClipRole::BeginGroup);
    outer.blendMode = kBlendMultiply;
    RenderItem inner = Item(nullptr, ClipRole::BeginGroup);
    inner.filters = &kBlur;
    const RenderItem end = Item(nullptr, ClipRole::EndGroup);
    return {outer, inner, Item(&kRedSquare), end, Item(&kBlueSquare), end};
}

using Change = std::function<void(std::vector<RenderItem>&, GroupCache::Setting&)>;

struct KeyCase {
    const char* name;
    Change change;
    bool reused;
};

// The outer group's picture is kept over two frames, then looked up once more after a change.
TEST(SwfRenderGroupCache, KeptPictureIsReusedOnlyWhileNothingItShowsChanged) {
    static const std::vector<Filter> otherBlur = [] {
        std::vector<Filter> f = kBlur;
        f[0].passes = 2;
        return f;
    }();
    static const std::vector<Filter> sameBlur = kBlur;  // another list, equal
    const KeyCase cases[] = {
        {"nothing", [](auto&, auto&) {}, true},
        {"the group's colour transform", [](auto& g, auto&) { g[0].colorTransform.mulA = 0.5; },
         true},
        {"the group's blend mode", [](auto& g, auto&) { g[0].blendMode = kBlendScreen; }, true},
        {"an equal filter list elsewhere", [](auto& g, auto&) { g[1].filters = &sameBlur; }, true},
        {"a shape's matrix", [](auto& g, auto&) { g[2].matrix.tx = 20; }, false},
        {"a shape's colour", [](auto& g, auto&) { g[4].colorTransform.mulR = 0.5; }, false},
        {"a shape", [](auto& g, auto&) { g[4].shape = &kRedSquare; }, false},
        {"a shape that may change", [](auto& g, auto&) { g[4].source = 0; }, false},
        {"another movie's shape", [](auto& g, auto&) { g[4].source = 2; }, false},
        {"an inner group's filter", [](auto& g, auto&) { g[1].filters = &otherBlur; }, false},
        {"an inner group's mode", [](auto& g, auto&) { g[1].blendMode = kBlendAdd; }, false},
        {"a shape added", [](auto& g, auto&) { g.insert(g.begin() + 4, g[2]); }, false},
        {"the stage", [](auto&, auto& s) { s.stage.a *= 2; }, false},
        {"an outer group's move", [](auto&, auto& s) { s.shiftX = 0.25; }, false},
        {"the frame's size", [](auto&, auto& s) { s.width = 30; }, false},
        {"the quality", [](auto&, auto& s) { s.aliased = true; }, false},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        GroupCache cache;
        std::vector<RenderItem> items = Frame();
        GroupCache::Setting setting{kPixelStage, 0, 0, 20, 20, false};
        EXPECT_EQ(cache.find(items, 0, 5, setting), nullptr);  // first seen: not kept yet
        cache.endFrame();
        GroupCache::Picture* fill = cache.find(items, 0, 5, setting);
        ASSERT_NE(fill, nullptr);
        EXPECT_FALSE(fill->ready);
        BgraImage image;
        image.resize(20, 20);
        ASSERT_TRUE(cache.keep(*fill, image, 0, 0, nullptr));
        cache.endFrame();
        c.change(items, setting);
        const GroupCache::Picture* found = cache.find(items, 0, items.size() - 1, setting);
        EXPECT_EQ(found != nullptr && found->ready, c.reused);
        cache.endFrame();
        EXPECT_EQ(cache.bytes(), c.reused ? 20u * 20 * 4 : 0u);  // a picture not drawn goes
    }
}

// One object shown twice with different effects: two groups alike but for their filters are
// both kept.
TEST(SwfRenderGroupCache, GroupsDifferingOnlyInFiltersAreKeptApart) {
    static const std::vector<Filter> otherBlur = [] {
        std::vector<Filter> f = kBlur;
        f[0].blurX = 6;
        return f;
    }();
    RenderItem first = Item(nullptr, ClipRole::BeginGroup), second = first;
    first.filters = &kBlur;
    second.filters = &otherBlur;
    const RenderItem end = Item(nullptr, ClipRole::EndGroup);
    const std::vector<RenderItem> items = {first,  Item(&kRedSquare), end,
                                           second, Item(&kRedSquare), end};
    const GroupCache::Setting setting{kPixelStage, 0, 0, 20, 20, false};
    GroupCache cache;
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        for (std::size_t begin : {0u, 3u}) {
            GroupCache::Picture* picture = cache.find(items, begin, begin + 2, setting);
            ASSERT_EQ(picture != nullptr, frame > 0);
            if (frame == 1) {
                BgraImage image;
                image.resize(20, 20);
                ASSERT_TRUE(cache.keep(*picture, image, 0, 0, nullptr));
            }
            if (frame == 2) EXPECT_TRUE(picture->ready);
        }
        cache.endFrame();
    }
}

// Frames drawn one after another by one renderer (pictures kept and reused) match each frame
// drawn by a renderer of its own, through changes of the group and of what lies around it.
TEST(SwfRenderGroupCache, FramesWithKeptPicturesMatchFramesDrawnAnew) {
    const Shape mask = Square(0, 0, 10, 20, kBlack);
    std::vector<std::vector<RenderItem>> frames;
    for (int i = 0; i < 4; ++i) frames.push_back(Frame());  // kept from the third on
    frames.push_back(Frame());
    frames.back()[0].colorTransform.mulG = 0.25;  // reused, blended differently
    frames.push_back(frames.back());
    frames.back().insert(frames.back().begin(),
                         {Item(nullptr, ClipRole::BeginMask), Item(&mask, ClipRole::Mask)});
    frames.back().push_back(Item(nullptr, ClipRole::Unmask));  // reused under a mask
    frames.push_back(Frame());
    frames.back()[4].matrix.ty = 40;  // drawn anew
    frames.push_back(Frame());
    Renderer kept;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE(f);
        BgraImage got, want;
        got.resize(20, 20);
        want.resize(20, 20);
        kept.render(frames[f], kWhite, kPixelStage, Quality::High, got);
        Renderer fresh;
        fresh.render(frames[f], kWhite, kPixelStage, Quality::High, want);
        EXPECT_EQ(got.pixels, want.pixels);
    }
}

}  // namespace
}  // namespace saver::swf
