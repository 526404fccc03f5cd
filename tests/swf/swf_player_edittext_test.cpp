// Text field layout with an embedded font: where each glyph lands for each alignment, with
// margins, indent and leading, where word wrap and line breaks start new lines, and which
// fields draw a frame or no text at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/player/EditTextLayout.h"

namespace saver::swf {
namespace {

// Font 1 (1024 units per EM): 'a' and ' ' advance 512 units, '*' 256; ascent 800, descent 224.
Movie MovieWithFont() {
    Movie movie;
    movie.header.version = 8;
    Font font;
    font.id = 1;
    font.version = 2;
    font.glyphs.resize(3);
    font.codes = {'a', ' ', '*'};
    font.hasLayout = true;
    font.ascent = 800;
    font.descent = 224;
    font.advances = {512, 512, 256};
    movie.dictionary.emplace(1, font);
    return movie;
}

// A 2040 x 2000 twip field at (0, 0) with 20-pixel text (400 twips: 'a' is 200 wide, lines
// 400 + leading apart, first baseline at 40 + 312.5).
EditText Field(const std::string& text) {
    EditText field;
    field.bounds = {0, 2040, 0, 2000};
    field.fontId = 1;
    field.fontHeight = 400;
    field.useOutlines = true;
    field.hasLayout = true;
    field.initialText = text;
    return field;
}

struct Case {
    const char* name;
    EditText field;
    std::vector<std::pair<double, double>> origins;  // x, baseline of each glyph
};

TEST(SwfPlayerEditTextTest, GlyphPositions) {
    const Movie movie = MovieWithFont();
    auto with = [](EditText f, auto change) {
        change(f);
        return f;
    };
    // Ascent (312.5) and descent (87.5) at 20 pixels are cut to whole twips: lines 399 apart.
    const double b = 40 + 312;
    const Case cases[] = {
        {"left", Field("aa"), {{40, b}, {240, b}}},
        {"right", with(Field("aa"), [](EditText& f) { f.align = 1; }), {{1600, b}, {1800, b}}},
        {"centre with margins",
         with(Field("a"),
              [](EditText& f) { f.align = 2, f.leftMargin = 100, f.rightMargin = 300; }),
         {{40 + 100 + 680, b}}},
        // "\r\n" ends two lines.
        {"lines, indent and leading",
         with(Field("a\r\na\ra"), [](EditText& f) { f.indent = 60, f.leading = 20; }),
         {{100, b}, {100, b + 838}, {100, b + 1257}}},
        {"word wrap",
         with(Field("aaaa aaaa aa"), [](EditText& f) { f.wordWrap = true; }),
         {{40, b},
          {240, b},
          {440, b},
          {640, b},
          {840, b},
          {1040, b},
          {1240, b},
          {1440, b},
          {1640, b},
          {40, b + 399},
          {240, b + 399}}},  // the space at the break is dropped
        {"no wrap", with(Field("aaaa aaaa aa"), [](EditText&) {}), {}},
        {"negative indent, up to the margin",
         with(Field("a\ra"), [](EditText& f) { f.indent = -500, f.leftMargin = 100; }),
         {{40, b}, {40, b + 399}}},
        {"password",
         with(Field("aa"), [](EditText& f) { f.password = true; }),
         {{40, b}, {140, b}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EditTextLayout layout = LayOutEditText(c.field, movie);
        if (std::string(c.name) == "no wrap") {
            EXPECT_EQ(layout.glyphs.size(), 12u);  // one line, spaces included
            EXPECT_EQ(layout.glyphs.back().matrix.ty, b);
            continue;
        }
        ASSERT_EQ(layout.glyphs.size(), c.origins.size());
        for (std::size_t i = 0; i < c.origins.size(); ++i) {
            EXPECT_DOUBLE_EQ(layout.glyphs[i].matrix.a, 400.0 / 1024);
            EXPECT_DOUBLE_EQ(layout.glyphs[i].matrix.tx, c.origins[i].first) << i;
            EXPECT_DOUBLE_EQ(layout.glyphs[i].matrix.ty, c.origins[i].second) << i;
        }
    }
}

TEST(SwfPlayerEditTextTest, FrameAndFieldsWithoutText) {
    const Movie movie = MovieWithFont();
    EditText bordered = Field("a");
    bordered.border = true;
    EditText html = Field("<p>a</p>");
    html.html = true;
    EditText device = Field("a");
    device.useOutlines = false;
    EditText noFont = Field("a");
    noFont.fontId = 9;
    EXPECT_TRUE(LayOutEditText(bordered, movie).frame);
    EXPECT_FALSE(LayOutEditText(Field("a"), movie).frame);
    EXPECT_EQ(LayOutEditText(html, movie).glyphs.size(), 1u);
    for (const EditText& f : {device, noFont})  // no font source: device text is not drawn
        EXPECT_TRUE(LayOutEditText(f, movie).glyphs.empty());

    // The text sits between a mask of the bounds and its end, after the frame.
    std::vector<RenderItem> items;
    const EditTextLayout layout = LayOutEditText(bordered, movie);
    AppendEditText(layout, {}, {}, 100, items);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].shape, &*layout.placedFrame);  // on whole pixels
    EXPECT_EQ(items[1].role, ClipRole::BeginMask);
    EXPECT_EQ(items[2].role, ClipRole::Mask);
    EXPECT_EQ(items[4].role, ClipRole::Unmask);
    items.clear();
    AppendEditText(layout, {}, {}, 3, items);  // no room for the text and its mask
    EXPECT_EQ(items.size(), 1u);
}

// A frame drawn unrotated has its corner on the nearest view pixel (halves to the even one),
// keeps its size in whole view pixels and a border one view pixel wide.
TEST(SwfPlayerEditTextTest, FrameOnWholePixels) {
    const Movie movie = MovieWithFont();
    EditText field = Field("");
    field.border = true;
    field.bounds = {0, 500, 0, 200};  // 25 x 10 pixels
    const EditTextLayout layout = LayOutEditText(field, movie);
    struct Case {
        double tx, ty, scale, view;
        Rect frame;  // with the border's pixel right and below
    };
    const Case cases[] = {
        {410, 1010, 1, 1, {400, 920, 1000, 1220}},     // 20.5, 50.5: down to the even pixel
        {2010, 1510, 1, 1, {2000, 2520, 1520, 1740}},  // 100.5 down, 75.5 up
        {105, 105, 1, 1, {100, 620, 100, 320}},
        {764, 964, 1.365, 1, {760, 1460, 960, 1260}},  // 34 x 13.65 pixels
        {415, 1015, 1, 2, {420, 930, 1020, 1230}},     // half pixels of the view
    };
    for (const Case& c : cases) {
        std::vector<RenderItem> items;
        AppendEditText(layout, {c.scale, 0, 0, c.scale, c.tx, c.ty}, {}, 100, items, c.view,
                       c.view);
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items[0].shape->bounds, c.frame) << c.tx;
    }
}

// A device-font field: a skew too small to move a pixel is drawn as none, a rotated, skewed or
// mirrored field not at all.
TEST(SwfPlayerEditTextTest, DeviceFieldFrameAndTransforms) {
    const Movie movie = MovieWithFont();
    EditText field = Field("");
    field.border = true;
    field.useOutlines = false;
    field.bounds = {0, 200, 0, 200};  // 10 x 10 pixels
    const EditTextLayout layout = LayOutEditText(field, movie);
    struct Case {
        Matrix m;
        bool drawn;
    };
    const Case cases[] = {
        {{1, 0, 0, 1, 0, 0}, true},
        {{1, 0.005, -0.005, 1, 0, 0}, true},
        {{0.9998, 0.0052, -0.0052, 0.9998, 0, 0}, true},  // 0.3 degrees
        {{0.9994, 0.035, -0.035, 0.9994, 0, 0}, false},   // 2 degrees
        {{1, 0, 0.01, 1, 0, 0}, false},
        {{-1, 0, 0, 1, 400, 0}, false},
    };
    for (const Case& c : cases) {
        std::vector<RenderItem> items;
        AppendEditText(layout, c.m, {}, 100, items);
        ASSERT_EQ(!items.empty(), c.drawn) << c.m.b << " " << c.m.c;
        if (!c.drawn) continue;
        const Shape& frame = *items[0].shape;
        // Background, border and its inside, unrotated on whole pixels.
        EXPECT_EQ(frame.paths.size(), 3u);
        EXPECT_EQ(items[0].matrix, Matrix{});
        EXPECT_EQ(frame.bounds, (Rect{0, 220, 0, 220}));
    }
}

}  // namespace
}  // namespace saver::swf
