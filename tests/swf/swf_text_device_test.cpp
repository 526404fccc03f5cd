// Device text: which host font file stands for which name, what the FreeType source gives for
// it (the metrics must be Arial's, which Liberation Sans shares), how text fields lay out
// device text (auto-size, mixed sizes, long words), and a field tied to a variable showing
// what the script host reads for it.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "swf/format/SwfReader.h"
#include "swf/player/DeviceScaledLayout.h"
#include "swf/player/EditTextLayout.h"
#include "swf/player/HtmlText.h"
#include "swf/player/MoviePlayer.h"
#include "swf/text/DeviceFontNames.h"
#include "swf/text/FreeTypeFace.h"
#include "swf/text/GlyphOutlineBuilder.h"
#include "swf/text/SystemFontSource.h"
#include "swfwriter/ClockMovie.h"

namespace saver::swf {
namespace {

TEST(SwfTextDeviceTest, HostFontFiles) {
    struct Case {
        const char* name;
        bool bold, italic;
        const char* file;
        bool known;
    };
    const Case cases[] = {
        {"_sans", false, false, "liberation/LiberationSans-Regular.ttf", true},
        {"Arial", true, false, "liberation/LiberationSans-Bold.ttf", true},
        {" _serif", false, true, "liberation/LiberationSerif-Italic.ttf", true},
        {"_TYPEWRITER", true, true, "liberation/LiberationMono-BoldItalic.ttf", true},
        {"Verdana", false, true, "dejavu/DejaVuSans.ttf", true},
        {"No Such Face", false, false, "liberation/LiberationSans-Regular.ttf", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool known = false;
        EXPECT_EQ(HostFontFile(DeviceFaceName(c.name), c.bold, c.italic, "R", &known),
                  std::string("R/") + c.file);
        EXPECT_EQ(known, c.known);
    }
}

TEST(SwfTextDeviceTest, FreeTypeFaceHasArialMetrics) {
    const auto fonts = MakeSystemFontSource();
    const auto sans = fonts->face("_sans", false, false);
    EXPECT_EQ(sans, fonts->face("Arial", false, false));
    EXPECT_EQ(sans, fonts->face("Nothing Like It", false, false));  // the default face
    // Arial: 2048 units per EM, Windows ascent 1854, descent 434, 'A' 1366 wide, ' ' 569.
    EXPECT_NEAR(sans->ascent(), 1854 / 2.0, 0.01);
    EXPECT_NEAR(sans->descent(), 434 / 2.0, 0.01);
    EXPECT_NEAR(sans->advance(U'A'), 1366 / 2.0, 0.01);
    EXPECT_NEAR(sans->advance(U' '), 569 / 2.0, 0.01);
    EXPECT_EQ(sans->glyph(U' '), nullptr);
    const Shape* a = sans->glyph(U'A');
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->nonZeroWinding);
    EXPECT_EQ(a->paths.size(), 2u);   // the outline and the counter
    EXPECT_LT(a->bounds.yMin, -600);  // above the baseline, y down
    EXPECT_LE(a->bounds.yMax, 0);
    EXPECT_EQ(a, sans->glyph(U'A'));  // cached
}

// Text fields draw device text hinted at their size in whole pixels: advances are whole
// pixels and grid-fitted stems start and end on pixel edges (64ths of a pixel).
TEST(SwfTextDeviceTest, FittedGlyphsAreOnWholePixels) {
    const auto fonts = MakeSystemFontSource();
    const auto face = fonts->face("Bitstream Vera Sans", false, false);
    ASSERT_TRUE(face->fitsToPixels());
    struct Case {
        int pixels;
        char32_t code;
    };
    for (const Case& c : {Case{12, U'l'}, Case{12, U'H'}, Case{9, U'l'}, Case{20, U'H'}}) {
        SCOPED_TRACE(c.pixels);
        const double advance = face->advanceAt(c.code, c.pixels);
        EXPECT_GT(advance, 0);
        EXPECT_EQ(std::fmod(advance, 20), 0);
        const Shape* glyph = face->glyphAt(c.code, c.pixels);
        ASSERT_NE(glyph, nullptr);
        for (std::int32_t edge : {glyph->bounds.xMin, glyph->bounds.xMax, glyph->bounds.yMin})
            EXPECT_EQ(edge % 64, 0) << edge;
        EXPECT_NEAR(glyph->bounds.yMax, 0, 0);  // on the baseline
    }
    EXPECT_EQ(face->glyphAt(U' ', 12), nullptr);
}

// A face drawn as plain scaled outlines (no hinting): its advance at a pixel size is the
// outline's advance cut to whole twips and rounded to whole pixels; its metrics and glyph
// origins are not snapped. Noto Sans: 1000 units per EM, ascent 1069, descent 293.
TEST(SwfTextDeviceTest, OutlineScaledFace) {
    const auto face = MakeFreeTypeFace(OpenFreeTypeLibrary(),
                                       "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
                                       GlyphFitting::OutlineScaled);
    ASSERT_TRUE(face->fitsToPixels());
    EXPECT_FALSE(face->snapsToPixels());
    EXPECT_NEAR(face->ascent(), 1069 * 1.024, 0.01);
    EXPECT_NEAR(face->descent(), 293 * 1.024, 0.01);
    struct Case {
        char32_t code;
        int pixels;
        double twips;  // 'H' 741, 'e' 564, 'l' 258 units wide
    };
    for (const Case& c : {Case{U'H', 12, 180}, Case{U'e', 12, 140}, Case{U'l', 12, 60},
                          Case{U'l', 10, 60}, Case{U'H', 29, 420}}) {
        SCOPED_TRACE(c.pixels);
        EXPECT_EQ(face->advanceAt(c.code, c.pixels), c.twips);
    }
    const Shape* h = face->glyphAt(U'H', 12);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->bounds.yMin, -714);  // cap height 714 in the font's units, unhinted
    EXPECT_EQ(face->fittedEm(12), 1000);
    EXPECT_EQ(
        MakeFreeTypeFace(OpenFreeTypeLibrary(), "/nonexistent.ttf", GlyphFitting::OutlineScaled)
            ->glyph(U'H'),
        nullptr);
}

// Fitted glyphs are drawn only where a field pixel is a view pixel; scaled by the field's
// matrix or by the view, the field draws the plain outlines at the same places.
TEST(SwfTextDeviceTest, FittedGlyphsOnlyUnscaled) {
    const Movie movie;
    const auto fonts = MakeSystemFontSource();
    const auto face = fonts->face("_sans", false, false);
    TextFormat format;
    format.font = "_sans";
    format.size = 240;
    TextFieldBox box;
    box.bounds = {0, 2000, 0, 400};
    const EditTextLayout layout = LayOutTextField(box, {{U"l", format}}, movie, fonts.get());
    struct Case {
        double scale, viewScale;
        bool fitted;
    };
    for (const Case& c :
         {Case{1, 1, true}, Case{2, 0.5, true}, Case{1, 2, false}, Case{1.5, 1, false}}) {
        std::vector<RenderItem> items;
        AppendEditText(layout, {c.scale, 0, 0, c.scale, 0, 0}, {}, 100, items, c.viewScale,
                       c.viewScale);
        ASSERT_EQ(items.size(), 4u);  // mask, its shape, the glyph, unmask
        EXPECT_EQ(items[2].shape, c.fitted ? face->glyphAt(U'l', 12) : face->glyph(U'l'))
            << c.scale << " " << c.viewScale;
    }
}

// A device field shown at another scale is laid out again at that size on the view: 6-point
// text twice as tall is drawn with the 12-pixel glyphs; a field stretched sideways keeps its
// 12-pixel glyphs and advances, its gutter stretched with it.
TEST(SwfTextDeviceTest, ScaledFieldLaidOutAtItsViewSize) {
    const Movie movie;
    const auto fonts = MakeSystemFontSource();
    const auto face = fonts->face("_sans", false, false);
    TextFormat format;
    format.font = "_sans";
    format.size = 240;
    TextFieldBox box;
    box.bounds = {0, 1800, 0, 400};
    const EditTextLayout plain = LayOutTextField(box, {{U"ll", format}}, movie, fonts.get());
    ASSERT_EQ(plain.glyphs.size(), 2u);
    const double step = plain.glyphs[1].matrix.tx - plain.glyphs[0].matrix.tx;

    format.size = 120;
    const EditTextLayout small = LayOutTextField(box, {{U"ll", format}}, movie, fonts.get());
    const EditTextLayout tall =
        DeviceScaledLayout(small, box, {{U"ll", format}}, movie, fonts.get(), 1, 2);
    ASSERT_EQ(tall.glyphs.size(), 2u);
    EXPECT_EQ(tall.glyphs[0].glyph, face->glyphAt(U'l', 12));
    EXPECT_DOUBLE_EQ(tall.glyphs[1].matrix.tx - tall.glyphs[0].matrix.tx, step);

    format.size = 240;
    const EditTextLayout wide =
        DeviceScaledLayout(plain, box, {{U"ll", format}}, movie, fonts.get(), 2, 1);
    ASSERT_EQ(wide.glyphs.size(), 2u);
    EXPECT_EQ(wide.glyphs[0].glyph, face->glyphAt(U'l', 12));
    EXPECT_DOUBLE_EQ(wide.glyphs[1].matrix.tx - wide.glyphs[0].matrix.tx, step);
    EXPECT_EQ(wide.bounds, (Rect{0, 3600, 0, 400}));
    EXPECT_NEAR(wide.glyphs[0].matrix.tx, plain.glyphs[0].matrix.tx + 40, 20);  // gutter 4 px

    // Drawn, the layout goes back to the field's units: one layout pixel, one view pixel.
    std::vector<RenderItem> items;
    AppendEditText(wide, {2, 0, 0, 1, 0, 0}, {}, 100, items);
    ASSERT_EQ(items.size(), 5u);  // mask, its shape, two glyphs, unmask
    EXPECT_DOUBLE_EQ(items[2].matrix.a, wide.glyphs[0].matrix.a);
    EXPECT_TRUE(NeedsDeviceScale(box, {2, 0, 0, 1, 0, 0}, 1, 1));
    EXPECT_FALSE(NeedsDeviceScale(box, {1, 0, 0, 1, 0, 0}, 1, 1));
    EXPECT_FALSE(NeedsDeviceScale(box, {0.5, 0, 0, 0.5, 0, 0}, 2, 2));
}

// A hinted curve becomes 2^n chords, n the halvings that bring its second difference (64 units
// a pixel) under an eighth of a pixel, quartering it each time.
TEST(SwfTextDeviceTest, CurveChordsOfHintedGlyphs) {
    struct Case {
        double bend;  // |p0 - 2c + p1|, units
        std::size_t chords;
    };
    for (const Case& c : {Case{7, 1}, Case{8, 2}, Case{31, 2}, Case{32, 4}, Case{127, 4},
                          Case{128, 8}, Case{1e9, 1024}}) {
        GlyphOutlineBuilder builder(1, 1);
        builder.moveTo(0, 0);
        builder.quadToChords(100, c.bend / 2, 200, 0, 64);  // control above the chord
        const Shape shape = builder.finish();
        ASSERT_EQ(shape.paths.size(), 1u);
        // The chords, then the line that closes the contour.
        EXPECT_EQ(shape.paths[0].edges.size(), c.chords + 1) << c.bend;
        EXPECT_FALSE(shape.paths[0].edges[0].curved);
    }
}

// Every character 512 units wide; ascent 800, descent 224, in 1024 units per EM.
class FixedFace : public FontFace {
  public:
    double ascent() const override { return 800; }
    double descent() const override { return 224; }
    double leading() const override { return 0; }
    const Shape* glyph(char32_t c) const override { return c == U' ' ? nullptr : &shape_; }
    double advance(char32_t) const override { return 512; }

  private:
    Shape shape_;
};

class FixedSource : public FontSource {
  public:
    std::shared_ptr<const FontFace> face(const std::string&, bool, bool) const override {
        return face_;
    }

  private:
    std::shared_ptr<const FontFace> face_ = std::make_shared<FixedFace>();
};

TEST(SwfTextDeviceTest, DeviceLayout) {
    const Movie movie;
    const FixedSource fonts;
    TextFormat base;
    base.size = 400;  // 'a' 200 twips wide, ascent 312.5 and descent 87.5, cut to whole twips
    struct Case {
        const char* name;
        const char* html;
        AutoSize autoSize;
        bool wordWrap;
        Rect bounds;  // after auto-size
        std::vector<std::pair<double, double>> origins;
    };
    const Case cases[] = {
        {"auto-size left",
         "aaa",
         AutoSize::Left,
         false,
         {0, 680, 0, 479},
         {{40, 352}, {240, 352}, {440, 352}}},
        {"auto-size centre", "a", AutoSize::Center, false, {660, 940, 0, 479}, {{700, 352}}},
        {"mixed sizes share the tallest baseline",
         "a<font size=\"40\">a</font>",
         AutoSize::None,
         false,
         {0, 1600, 0, 1000},
         {{40, 665}, {240, 665}}},
        {"a word wider than the line is cut",
         "aaaaaaaaa",
         AutoSize::None,
         true,
         {0, 1600, 0, 1000},
         {{40, 352},
          {240, 352},
          {440, 352},
          {640, 352},
          {840, 352},
          {1040, 352},
          {1240, 352},
          {40, 751},
          {240, 751}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextFieldBox box;
        box.bounds = {0, 1600, 0, 1000};
        box.autoSize = c.autoSize;
        box.wordWrap = c.wordWrap;
        const EditTextLayout layout =
            LayOutTextField(box, ParseHtmlText(DecodeText(c.html, true), base), movie, &fonts);
        EXPECT_EQ(layout.bounds, c.bounds);
        ASSERT_EQ(layout.glyphs.size(), c.origins.size());
        for (std::size_t i = 0; i < c.origins.size(); ++i) {
            EXPECT_DOUBLE_EQ(layout.glyphs[i].matrix.tx, c.origins[i].first) << i;
            EXPECT_DOUBLE_EQ(layout.glyphs[i].matrix.ty, c.origins[i].second) << i;
        }
    }
}

// Answers "ab" for the variable `clock`.
class FakeHost : public ScriptHost {
  public:
    void runActions(TimelineInstance&, TimelineInstance&, const DoAction&) override {}
    void runInitActions(TimelineInstance&, const DoInitAction&) override {}
    void frameShown(TimelineInstance&) override {}
    void frameDone(TimelineInstance&) override {}
    bool readVariable(TimelineInstance&, const std::string& name, std::string& value) override {
        if (name != "clock") return false;
        value = "ab";
        return true;
    }
};

TEST(SwfTextDeviceTest, BoundFieldShowsItsVariable) {
    auto movie = std::make_shared<const Movie>(ReadMovie(swfwriter::BuildClockMovie(false)));
    auto drawn = [](MoviePlayer& player) {
        std::size_t shapes = 0;
        for (const RenderItem& item : player.renderList())
            shapes += item.shape != nullptr && item.role == ClipRole::Draw;
        return shapes;
    };
    MoviePlayer unbound(movie);
    unbound.setFontSource(std::make_shared<FixedSource>());
    EXPECT_EQ(drawn(unbound), 5u + 8u);  // "CLOCK" and "--:--:--"
    MoviePlayer bound(movie, std::make_unique<FakeHost>());
    bound.setFontSource(std::make_shared<FixedSource>());
    EXPECT_EQ(drawn(bound), 5u + 2u);  // "CLOCK" and "ab"
    MoviePlayer noFonts(movie, std::make_unique<FakeHost>());
    EXPECT_EQ(drawn(noFonts), 5u);  // device text needs the system's fonts
}

}  // namespace
}  // namespace saver::swf
