// Static text as render items: one per glyph, scaled from the font's EM square to the text
// height, placed at the pen position that the records carry from one to the next, painted in
// the record's colour under the placement's colour transform.
#include <gtest/gtest.h>

#include <vector>

#include "swf/player/StaticTextItems.h"

namespace saver::swf {
namespace {

Movie MovieWithFonts() {
    Movie movie;
    Font small;  // DefineFont2: 1024 units per EM
    small.id = 1;
    small.version = 2;
    small.glyphs.resize(2);
    Font fine = small;  // DefineFont3: 20480
    fine.id = 2;
    fine.version = 3;
    movie.dictionary.emplace(1, small);
    movie.dictionary.emplace(2, fine);
    return movie;
}

TEST(SwfPlayerTextTest, GlyphsFollowTheRecords) {
    const Movie movie = MovieWithFonts();
    StaticText text;
    text.matrix = {1, 0, 0, 1, 100, 0};
    TextRecord first;
    first.fontId = 1;
    first.height = 512;
    first.color = Rgba{200, 100, 50, 128};
    first.xOffset = 10;
    first.yOffset = 300;
    first.glyphs = {{0, 40}, {7, 60}, {1, 0}};  // glyph 7 does not exist: skipped, advances
    TextRecord second;                          // same font and colour, x continues
    second.yOffset = 600;
    second.glyphs = {{1, 5}};
    TextRecord third;  // finer font, new colour and x
    third.fontId = 2;
    third.height = 2048;
    third.color = Rgba{0, 0, 255, 255};
    third.xOffset = 0;
    third.glyphs = {{0, 0}};
    TextRecord unknownFont;
    unknownFont.fontId = 99;
    unknownFont.glyphs = {{0, 0}};
    text.records = {first, second, third, unknownFont};

    ColorTransform half;
    half.mulA = 0.5;
    std::vector<RenderItem> items;
    AppendStaticText(text, movie, Matrix{2, 0, 0, 2, 0, 0}, half, ClipRole::Draw, 100, items);
    const auto& fonts = movie.dictionary;
    struct Expected {
        const Shape* glyph;
        Matrix matrix;
        Rgba color;
    };
    const Shape* f1 = std::get<Font>(fonts.at(1)).glyphs.data();
    const Shape* f2 = std::get<Font>(fonts.at(2)).glyphs.data();
    const Expected expected[] = {
        {f1 + 0, {1, 0, 0, 1, 220, 600}, {200, 100, 50, 64}},
        {f1 + 1, {1, 0, 0, 1, 420, 600}, {200, 100, 50, 64}},
        {f1 + 1, {1, 0, 0, 1, 420, 1200}, {200, 100, 50, 64}},
        {f2 + 0, {0.2, 0, 0, 0.2, 200, 1200}, {0, 0, 255, 127}},
    };
    ASSERT_EQ(items.size(), std::size(expected));
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].shape, expected[i].glyph);
        EXPECT_EQ(items[i].matrix, expected[i].matrix);
        EXPECT_EQ(items[i].colorTransform.apply({255, 255, 255, 255}), expected[i].color);
    }

    items.clear();
    AppendStaticText(text, movie, {}, {}, ClipRole::Mask, 2, items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].role, ClipRole::Mask);
}

}  // namespace
}  // namespace saver::swf
