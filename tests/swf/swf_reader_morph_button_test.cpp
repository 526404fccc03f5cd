// Morph shape and button tags from hand-written bytes: the paired style tables and both edge
// lists of a morph (end edges found by their offset), and a button's records, condition
// actions, and what DefineButtonCxform and DefineButtonSound add to it.
#include <gtest/gtest.h>

#include <variant>

#include "swf/format/SwfReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using test::Bits;
using test::Bytes;
using test::Concat;
using test::Tag;

constexpr std::uint16_t kDefineButton = 7, kDefineButtonSound = 17, kDefineButtonCxform = 23,
                        kDefineButton2 = 34, kDefineMorphShape = 46;

Bits& Line(Bits& b, int dx, int dy) {
    return b.ub(1, 1).ub(1, 1).ub(4, 14).ub(1, 1).sb(16, dx).sb(16, dy);
}

Bits& Curve(Bits& b, int cx, int cy, int ax, int ay) {
    return b.ub(1, 1).ub(1, 0).ub(4, 14).sb(16, cx).sb(16, cy).sb(16, ax).sb(16, ay);
}

// Style change: move to (x, y), selecting fill1 and line (one-bit fields) when `styles`.
Bits& MoveTo(Bits& b, int x, int y, bool styles) {
    b.ub(1, 0).ub(5, styles ? 0b01101 : 0b00001).ub(5, 16).sb(16, x).sb(16, y);
    if (styles) b.ub(1, 1).ub(1, 1);
    return b;
}

// Morph 5: red to blue, line 20 to 60 twips; a triangle whose second edge is straight at the
// start and curved at the end. A stray byte before the end edges is skipped by the offset.
Bytes MorphBody() {
    Bits styles;
    styles.u8(1).u8(0x00).rgba(255, 0, 0, 255).rgba(0, 0, 255, 128);
    styles.u8(1).u16(20).u16(60).rgba(0, 0, 0, 255).rgba(255, 255, 255, 255);
    styles.align().ub(4, 1).ub(4, 1);
    MoveTo(styles, 0, 0, true);
    Line(styles, 100, 0);
    Line(styles, 0, 100);
    Line(styles, -100, -100);
    styles.ub(1, 0).ub(5, 0).align().u8(0xAA);
    const Bytes afterOffset = styles.done();
    Bits end;
    end.ub(4, 0).ub(4, 0);
    MoveTo(end, 10, 10, false);
    Line(end, 200, 0);
    Curve(end, 0, 100, 0, 100);
    Line(end, -200, -200);
    end.ub(1, 0).ub(5, 0);
    return Bits()
        .u16(5)
        .rect(0, 100, 0, 100)
        .rect(10, 210, 10, 210)
        .u32(static_cast<std::uint32_t>(afterOffset.size()))
        .bytes(afterOffset)
        .bytes(end.done())
        .done();
}

Movie Read(const Bytes& tags) {
    return ReadMovie(test::Fws(Concat({tags, test::Tag(test::kShowFrame, {}), test::End()})));
}

TEST(MorphShapeReaderTest, PairsStylesAndReadsBothEdgeLists) {
    const Movie movie = Read(Tag(kDefineMorphShape, MorphBody()));
    const auto& morph = std::get<MorphShape>(movie.dictionary.at(5));
    EXPECT_EQ(morph.start.bounds, (Rect{0, 100, 0, 100}));
    EXPECT_EQ(morph.end.bounds, (Rect{10, 210, 10, 210}));
    ASSERT_EQ(morph.start.fills.size(), 1u);
    EXPECT_EQ(morph.start.fills[0].color, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(morph.end.fills[0].color, (Rgba{0, 0, 255, 128}));
    ASSERT_EQ(morph.end.lines.size(), 1u);
    EXPECT_EQ(morph.start.lines[0].width, 20);
    EXPECT_EQ(morph.end.lines[0].width, 60);
    ASSERT_EQ(morph.start.paths.size(), 1u);
    EXPECT_EQ(morph.start.paths[0].fill1, 1u);
    EXPECT_EQ(morph.start.paths[0].line, 1u);
    ASSERT_EQ(morph.end.paths.size(), 1u);
    const auto& end = morph.end.paths[0];
    EXPECT_EQ(end.start, (Point{10, 10}));
    ASSERT_EQ(end.edges.size(), 3u);
    EXPECT_TRUE(end.edges[1].curved);
    EXPECT_EQ(end.edges[1].anchor, (Point{210, 210}));
    EXPECT_EQ(end.edges[2].anchor, (Point{10, 10}));
}

// A DefineButton2 whose action offset points past a stray byte, with a record shown up and
// over and one shown only when down.
Bytes Button2Body() {
    Bits records;
    records.u8(0x03)
        .u16(1)
        .u16(2)
        .translate(40, 60)
        .ub(1, 0)
        .ub(1, 1)
        .ub(4, 10)
        .sb(10, 256)
        .sb(10, 256)
        .sb(10, 256)
        .sb(10, 128)
        .align();  // alpha halved, add nothing
    records.u8(0x04).u16(2).u16(1).translate(0, 0).ub(1, 0).ub(1, 0).ub(4, 0).align();
    records.u8(0).u8(0xEE);
    const Bytes body = records.done();
    return Bits()
        .u16(30)
        .u8(0x01)
        .u16(static_cast<std::uint16_t>(body.size() + 2))
        .bytes(body)
        .u16(7)
        .u16(0x0001)
        .bytes({0x07, 0x00, 0x00})  // idle to over-up: stop
        .u16(0)
        .u16(0x0008)
        .bytes({0x06, 0x00})  // last: over-down to over-up: play
        .done();
}

TEST(ButtonReaderTest, RecordsActionsCxformAndSounds) {
    const Bytes button1 = Bits()
                              .u16(31)
                              .u8(0x01)
                              .u16(1)
                              .u16(1)
                              .translate(0, 0)
                              .u8(0x0A)
                              .u16(2)
                              .u16(2)
                              .translate(0, 0)
                              .u8(0)
                              .bytes({0x07, 0x00})
                              .done();
    // Two CXFORMs with multiply terms only (8.8): red halved, then green doubled.
    const Bytes cxform = Bits()
                             .u16(31)
                             .ub(1, 0)
                             .ub(1, 1)
                             .ub(4, 10)
                             .sb(10, 128)
                             .sb(10, 256)
                             .sb(10, 256)
                             .align()
                             .ub(1, 0)
                             .ub(1, 1)
                             .ub(4, 11)
                             .sb(11, 256)
                             .sb(11, 512)
                             .sb(11, 256)
                             .align()
                             .done();
    // Up-to-over sound 9 with a loop count; the other three absent.
    const Bytes sound = Bits().u16(30).u16(0).u16(9).u8(0x04).u16(3).u16(0).u16(0).done();
    const Movie movie =
        Read(Concat({Tag(kDefineButton2, Button2Body()), Tag(kDefineButton, button1),
                     Tag(kDefineButtonCxform, cxform), Tag(kDefineButtonSound, sound)}));

    const auto& b2 = std::get<Button>(movie.dictionary.at(30));
    EXPECT_TRUE(b2.trackAsMenu);
    ASSERT_EQ(b2.records.size(), 2u);
    EXPECT_EQ(b2.records[0].states, kButtonUp | kButtonOver);
    EXPECT_EQ(b2.records[0].characterId, 1);
    EXPECT_EQ(b2.records[0].depth, 2);
    EXPECT_EQ(b2.records[0].matrix.tx, 40);
    EXPECT_EQ(b2.records[0].colorTransform.mulA, 0.5);
    EXPECT_EQ(b2.records[1].states, kButtonDown);
    ASSERT_EQ(b2.actions.size(), 2u);
    EXPECT_EQ(b2.actions[0].conditions, 0x0001);
    EXPECT_EQ(b2.actions[0].bytes, (std::vector<std::uint8_t>{0x07, 0x00, 0x00}));
    EXPECT_EQ(b2.actions[1].conditions, 0x0008);
    EXPECT_EQ(b2.actions[1].bytes, (std::vector<std::uint8_t>{0x06, 0x00}));
    ASSERT_TRUE(b2.sounds[1]);
    EXPECT_EQ(b2.sounds[1]->soundId, 9);
    EXPECT_EQ(b2.sounds[1]->soundInfo, (std::vector<std::uint8_t>{0x04, 3, 0}));
    EXPECT_FALSE(b2.sounds[0] || b2.sounds[2] || b2.sounds[3]);

    const auto& b1 = std::get<Button>(movie.dictionary.at(31));
    ASSERT_EQ(b1.records.size(), 2u);
    EXPECT_EQ(b1.records[1].states, kButtonOver | kButtonHitTest);
    EXPECT_EQ(b1.records[0].colorTransform.mulR, 0.5);
    EXPECT_EQ(b1.records[1].colorTransform.mulG, 2.0);
    ASSERT_EQ(b1.actions.size(), 1u);
    EXPECT_EQ(b1.actions[0].conditions, 0x0008);
    EXPECT_EQ(b1.actions[0].bytes, (std::vector<std::uint8_t>{0x07, 0x00}));
}

}  // namespace
}  // namespace saver::swf
