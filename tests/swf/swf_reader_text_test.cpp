// Font and static text tags from hand-written bytes: glyph outlines found by their offsets,
// code tables, layout and kerning, the tags that complete a font, and text records whose
// fields are optional. Damaged tables are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using test::Bits;
using test::Bytes;
using test::Concat;
using test::Tag;

// A bare SHAPE: a right triangle of side `size` from the origin, fill index `fill`; 5 bytes
// or more depending on `size`.
Bytes Glyph(int size, unsigned fill = 1) {
    Bits b;
    b.ub(4, 2).ub(4, 0);                                           // fill bits 2, line bits 0
    b.ub(1, 0).ub(5, 0x03).ub(5, 1).sb(1, 0).sb(1, 0);             // move (0,0) + fill0
    b.ub(2, fill);                                                 //
    b.ub(1, 1).ub(1, 1).ub(4, 14).ub(1, 0).ub(1, 0).sb(16, size);  // horizontal
    b.ub(1, 1).ub(1, 1).ub(4, 14).ub(1, 0).ub(1, 1).sb(16, size);  // vertical
    b.ub(1, 1).ub(1, 1).ub(4, 14).ub(1, 1).sb(16, -size).sb(16, -size);
    b.ub(1, 0).ub(5, 0);  // end
    return b.done();
}

// DefineFont2/3 body: id 3, name "Ab", two glyphs with codes 'A' and 'B', layout with one
// kerning pair; 16-bit offsets and codes.
Bytes Font2Body(int version, bool truncateKerning = false) {
    const Bytes g0 = Glyph(1024), g1 = Glyph(512, 3);
    const auto offsets = static_cast<std::uint16_t>(3 * 2);
    Bits b;
    b.u16(3).u8(0x80 | 0x04 | 0x01).u8(1).u8(3).bytes({'A', 'b', 0}).u16(2);
    b.u16(offsets).u16(static_cast<std::uint16_t>(offsets + g0.size()));
    b.u16(static_cast<std::uint16_t>(offsets + g0.size() + g1.size()));
    b.bytes(g0).bytes(g1).u16('A').u16('B');
    b.u16(900).u16(200).u16(static_cast<std::uint16_t>(-5)).u16(1000).u16(600);
    b.rect(0, 1024, -1024, 0).rect(0, 512, -512, 0);
    if (!truncateKerning)
        b.u16(1).u16('A').u16('B').u16(static_cast<std::uint16_t>(-40));
    else
        b.u16(3);
    return b.done();
}

Movie Read(const Bytes& tags) {
    return ReadMovie(test::Fws(Concat({tags, test::ShowFrame(), test::End()})));
}

TEST(SwfReaderTextTest, DefineFont2And3WithLayout) {
    for (const int version : {2, 3}) {
        const Movie m = Read(Tag(version == 2 ? 48 : 75, Font2Body(version)));
        const Font& f = std::get<Font>(m.dictionary.at(3));
        EXPECT_EQ(f.version, version);
        EXPECT_EQ(f.emSquare(), version == 2 ? 1024.0 : 20480.0);
        EXPECT_EQ(f.name, "Ab");
        EXPECT_TRUE(f.bold);
        EXPECT_FALSE(f.italic);
        EXPECT_EQ(f.languageCode, 1);
        ASSERT_EQ(f.glyphs.size(), 2u);
        ASSERT_EQ(f.glyphs[1].paths.size(), 1u);
        EXPECT_EQ(f.glyphs[1].paths[0].fill0, 1u);  // any fill index means the glyph's fill
        EXPECT_EQ(f.glyphs[1].paths[0].edges[0].anchor, (Point{512, 0}));
        EXPECT_EQ(f.codes, (std::vector<std::uint16_t>{'A', 'B'}));
        EXPECT_EQ(f.ascent, 900);
        EXPECT_EQ(f.descent, 200);
        EXPECT_EQ(f.leading, -5);
        EXPECT_EQ(f.advances, (std::vector<std::uint16_t>{1000, 600}));
        EXPECT_EQ(f.glyphBounds[1], (Rect{0, 512, -512, 0}));
        ASSERT_EQ(f.kerning.size(), 1u);
        EXPECT_EQ(f.kerning[0].adjustment, -40);
    }
}

// DefineFont has outlines only; DefineFontInfo and DefineFontName complete it.
TEST(SwfReaderTextTest, DefineFontCompletedByInfoAndName) {
    const Bytes g = Glyph(100);
    const Bytes font =
        Bits().u16(4).u16(4).u16(static_cast<std::uint16_t>(4 + g.size())).bytes(g).bytes(g).done();
    const Bytes info = Bits().u16(4).u8(2).bytes({'X', 'y'}).u8(0x04).u8('a').u8('b').done();
    const Bytes name = Bits().u16(4).str("Xy Sans").str("(c) nobody").done();
    const Bytes infoOfNothing = Bits().u16(99).u8(0).u8(0).done();
    const Movie m = Read(Concat(
        {Tag(10, font), Tag(13, info), Tag(88, name), Tag(13, infoOfNothing), Tag(73, {4, 0, 0})}));
    const Font& f = std::get<Font>(m.dictionary.at(4));
    EXPECT_EQ(f.glyphs.size(), 2u);
    EXPECT_EQ(f.name, "Xy");
    EXPECT_TRUE(f.italic);
    EXPECT_EQ(f.codes, (std::vector<std::uint16_t>{'a', 'b'}));
    EXPECT_EQ(f.displayName, "Xy Sans");
    EXPECT_EQ(f.copyright, "(c) nobody");
    EXPECT_EQ(m.dictionary.size(), 1u);
    EXPECT_TRUE(m.skippedTags.empty());
}

// Records keep only the fields their flags announce; DefineText colours are RGB, DefineText2
// colours RGBA.
TEST(SwfReaderTextTest, TextRecords) {
    for (const int version : {1, 2}) {
        Bits b;
        b.u16(9).rect(0, 2000, -400, 100).translate(20, 40).u8(3).u8(12);
        b.u8(0x80 | 0x08 | 0x04 | 0x02 | 0x01).u16(3).rgb(10, 20, 30);
        if (version == 2) b.u8(128);
        b.u16(static_cast<std::uint16_t>(-7)).u16(300).u16(240).u8(2);
        b.ub(3, 1).sb(12, 250).ub(3, 5).sb(12, -3).align();
        b.u8(0x80 | 0x02).u16(600).u8(1).ub(3, 0).sb(12, 100).align();
        b.u8(0);
        const Movie m = Read(Tag(version == 1 ? 11 : 33, b.done()));
        const StaticText& t = std::get<StaticText>(m.dictionary.at(9));
        EXPECT_EQ(t.bounds, (Rect{0, 2000, -400, 100}));
        EXPECT_EQ(t.matrix.tx, 20);
        ASSERT_EQ(t.records.size(), 2u);
        const TextRecord& r = t.records[0];
        EXPECT_EQ(r.fontId, 3);
        EXPECT_EQ(r.color, (Rgba{10, 20, 30, static_cast<std::uint8_t>(version == 2 ? 128 : 255)}));
        EXPECT_EQ(r.xOffset, -7);
        EXPECT_EQ(r.yOffset, 300);
        EXPECT_EQ(r.height, 240);
        ASSERT_EQ(r.glyphs.size(), 2u);
        EXPECT_EQ(r.glyphs[1].index, 5u);
        EXPECT_EQ(r.glyphs[1].advance, -3);
        EXPECT_FALSE(t.records[1].fontId);
        EXPECT_FALSE(t.records[1].xOffset);
        EXPECT_EQ(t.records[1].yOffset, 600);
    }
}

// Every optional field of DefineEditText, and a field with none of them.
TEST(SwfReaderTextTest, EditTextFields) {
    Bits full;
    full.u16(12).rect(-40, 2000, 0, 400).u8(0xFF).u8(0x3F).u16(3).u16(240);
    full.rgba(1, 2, 3, 4).u16(50).u8(2).u16(20).u16(30).u16(40).u16(static_cast<std::uint16_t>(-2));
    full.str("clock").str("12:00");
    const Bytes bare = Bits().u16(13).rect(0, 100, 0, 100).u8(0).u8(0).str("").done();
    // CSMTextSettings for field 12 (advanced, subpixel, thickness 1.5), a short one for 13.
    const Bytes settings = Bits().u16(12).u8(0x50).u32(0x3FC00000).u32(0).u8(0).done();
    const Movie m = Read(Concat({Tag(37, full.done()), Tag(37, bare), Tag(74, settings),
                                 Tag(74, Bits().u16(13).u8(0x40).done())}));
    const EditText& f = std::get<EditText>(m.dictionary.at(12));
    EXPECT_EQ(f.bounds, (Rect{-40, 2000, 0, 400}));
    EXPECT_TRUE(f.wordWrap && f.multiline && f.password && f.readOnly);
    EXPECT_TRUE(f.border && f.wasStatic && f.html && f.useOutlines && f.noSelect);
    EXPECT_FALSE(f.autoSize);
    EXPECT_EQ(f.fontId, 3);
    EXPECT_EQ(f.fontHeight, 240);
    EXPECT_EQ(f.color, (Rgba{1, 2, 3, 4}));
    EXPECT_EQ(f.maxLength, 50);
    EXPECT_EQ(f.align, 2);
    EXPECT_EQ(f.leftMargin, 20);
    EXPECT_EQ(f.rightMargin, 30);
    EXPECT_EQ(f.indent, 40);
    EXPECT_EQ(f.leading, -2);
    EXPECT_EQ(f.variableName, "clock");
    EXPECT_EQ(f.initialText, "12:00");
    ASSERT_TRUE(f.textSettings);
    EXPECT_TRUE(f.textSettings->advanced);
    EXPECT_EQ(f.textSettings->gridFit, 2);
    EXPECT_EQ(f.textSettings->thickness, 1.5f);
    const EditText& b = std::get<EditText>(m.dictionary.at(13));
    EXPECT_FALSE(b.fontId || b.color || b.maxLength || b.initialText || b.hasLayout || b.border ||
                 b.textSettings);
}

TEST(SwfReaderTextTest, DamagedTablesAreRefused) {
    Bytes offsetPastCodes = Font2Body(2);
    offsetPastCodes[10] = 0xF0;  // the first glyph starts past the code table
    const Bytes glyphsBeyondTag = Bits().u16(3).u8(0).u8(0).u8(0).u16(5000).u16(4).done();
    const Bytes kerningBeyondTag = Font2Body(2, true);
    const Bytes entriesBeyondTag =
        Bits().u16(9).rect(0, 1, 0, 1).translate(0, 0).u8(8).u8(8).u8(0x80).u8(200).u8(1).done();
    for (const Bytes& tag : {Tag(48, offsetPastCodes), Tag(48, glyphsBeyondTag),
                             Tag(48, kerningBeyondTag), Tag(11, entriesBeyondTag)})
        EXPECT_THROW(Read(tag), SwfError);
}

}  // namespace
}  // namespace saver::swf
