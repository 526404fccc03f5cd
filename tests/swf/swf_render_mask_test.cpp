// Masks: a BeginMask and its Mask items clip the items drawn after them until their Unmask.
#include <gtest/gtest.h>

#include <vector>

#include "swf_render_support.h"

namespace saver::swf {
namespace {

using namespace test;

BgraImage Render(const std::vector<RenderItem>& items, Quality q = Quality::High) {
    BgraImage img;
    img.resize(20, 20);
    Renderer r;
    r.render(items, kWhite, kPixelStage, q, img);
    return img;
}

RenderItem Item(const Shape& s, ClipRole role = ClipRole::Draw) {
    return {&s, {}, {}, role};
}
RenderItem Unmask() {
    return {nullptr, {}, {}, ClipRole::Unmask};
}
RenderItem BeginMask() {
    return {nullptr, {}, {}, ClipRole::BeginMask};
}

TEST(SwfRenderMask, MaskClipsUntilUnmask) {
    const Shape mask = Square(5, 5, 10, 10, kBlack);
    const Shape red = Square(0, 0, 20, 10, kRed);
    const Shape blue = Square(0, 10, 20, 20, kBlue);
    const BgraImage img =
        Render({BeginMask(), Item(mask, ClipRole::Mask), Item(red), Unmask(), Item(blue)});
    EXPECT_EQ(PixelAt(img, 7, 7), kRed);    // inside the mask
    EXPECT_EQ(PixelAt(img, 2, 2), kWhite);  // red outside the mask: clipped
    EXPECT_EQ(PixelAt(img, 12, 7), kWhite);
    EXPECT_EQ(PixelAt(img, 2, 15), kBlue);  // after the Unmask: not clipped
    // The mask itself is not drawn.
    for (int y = 5; y < 10; ++y)
        for (int x = 5; x < 10; ++x) EXPECT_NE(PixelAt(img, x, y), kBlack);
}

TEST(SwfRenderMask, MasksOfARunAddUpAndNestedMasksIntersect) {
    const Shape left = Square(0, 0, 10, 20, kBlack), right = Square(10, 0, 20, 20, kBlack);
    const Shape top = Square(0, 0, 20, 10, kBlack);
    const Shape red = Square(0, 0, 20, 20, kRed);
    // Two shapes in one mask: their union, with no seam where they meet at x = 10.
    BgraImage img =
        Render({BeginMask(), Item(left, ClipRole::Mask), Item(right, ClipRole::Mask), Item(red)});
    EXPECT_EQ(PixelAt(img, 9, 15), kRed);
    EXPECT_EQ(PixelAt(img, 10, 15), kRed);
    // A mask inside a mask: only where both are.
    img = Render({BeginMask(), Item(left, ClipRole::Mask), BeginMask(), Item(top, ClipRole::Mask),
                  Item(red), Unmask(), Unmask()});
    EXPECT_EQ(PixelAt(img, 5, 5), kRed);
    EXPECT_EQ(PixelAt(img, 15, 5), kWhite);  // in the inner mask, outside the outer one
    EXPECT_EQ(PixelAt(img, 5, 15), kWhite);  // in the outer mask, outside the inner one
}

TEST(SwfRenderMask, MaskEdgesAreSoftOnlyWhenAntiAliased) {
    const Shape mask = Square(0, 0, 10.5, 20, kBlack);
    Shape lined = Square(0, 0, 20, 20, kRed);
    LineStyle line;
    line.width = 4 * kTwips;
    line.color = kBlue;
    lined.lines = {line};
    lined.paths.push_back(Polyline({Px(0, 15), Px(20, 15)}, 0, 0, 1));
    for (Quality q : {Quality::High, Quality::Low}) {
        const BgraImage img = Render({BeginMask(), Item(mask, ClipRole::Mask), Item(lined)}, q);
        const Rgba edge = PixelAt(img, 10, 5);
        if (q == Quality::High)
            EXPECT_NEAR(edge.g, 128, 3);  // half red over white
        else
            EXPECT_TRUE(edge == kRed || edge == kWhite);
        EXPECT_EQ(PixelAt(img, 5, 15), kBlue);  // lines are clipped too
        EXPECT_EQ(PixelAt(img, 15, 15), kWhite);
    }
}

}  // namespace
}  // namespace saver::swf
