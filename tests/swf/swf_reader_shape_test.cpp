// Shape tags from hand-written bytes: style tables of every shape version, the edge records
// and the flat style indexes across NewStyles records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/format/ShapeReader.h"
#include "swf/format/SwfReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using test::Bits;
using test::Bytes;

Shape Read(const Bytes& body, int version, std::size_t budget = DecodeBudget::kDefaultLimit) {
    SwfBitReader r(body, "tag");
    DecodeBudget b(budget);
    return ShapeReader(r, version, b).read();
}

// Id 7, bounds, one solid fill and one line of the version's colour size.
Bits Head(int version) {
    Bits b;
    b.u16(7).rect(0, 200, -20, 40);
    if (version >= 4) b.rect(1, 199, -19, 39).u8(0x04);  // non-zero winding
    b.u8(1).u8(0x00).rgb(255, 0, 0);
    if (version >= 3) b.u8(128);
    b.u8(1).u16(20);
    if (version >= 4) b.ub(2, 0).ub(2, 0).ub(1, 0).ub(3, 0).ub(5, 0).ub(1, 0).ub(2, 0);
    b.rgb(0, 0, 255);
    if (version >= 3) b.u8(64);
    return b;
}

// Move to (10,-20) with fill1 = 1 and line = 1, then a general, a vertical and a horizontal
// line and a curve; fill and line index fields one bit wide.
Bits& Edges(Bits& b) {
    b.align().ub(4, 1).ub(4, 1);
    b.ub(1, 0).ub(5, 0b01101).ub(5, 8).sb(8, 10).sb(8, -20).ub(1, 1).ub(1, 1);
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 1).sb(8, 100).sb(8, 0);
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 0).ub(1, 1).sb(8, 50);
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 0).ub(1, 0).sb(8, -100);
    b.ub(1, 1).ub(1, 0).ub(4, 6).sb(8, 10).sb(8, -10).sb(8, 5).sb(8, 5);
    return b;
}

Bits& EndRecord(Bits& b) {
    return b.ub(1, 0).ub(5, 0);
}

TEST(ShapeReaderTest, EdgesInAbsoluteTwipsForEveryVersion) {
    for (int version = 1; version <= 4; ++version) {
        Bits b = Head(version);
        const Shape s = Read(EndRecord(Edges(b)).done(), version);
        SCOPED_TRACE(version);
        EXPECT_EQ(s.id, 7);
        EXPECT_EQ(s.version, version);
        EXPECT_EQ(s.bounds, (Rect{0, 200, -20, 40}));
        EXPECT_EQ(s.nonZeroWinding, version >= 4);
        EXPECT_EQ(s.edgeBounds, (version >= 4 ? Rect{1, 199, -19, 39} : s.bounds));
        ASSERT_EQ(s.fills.size(), 1u);
        const std::uint8_t alpha = version >= 3 ? 128 : 255;
        EXPECT_EQ(s.fills[0].color, (Rgba{255, 0, 0, alpha}));
        ASSERT_EQ(s.lines.size(), 1u);
        EXPECT_EQ(s.lines[0].width, 20);
        EXPECT_EQ(s.lines[0].color,
                  (Rgba{0, 0, 255, version >= 3 ? std::uint8_t{64} : std::uint8_t{255}}));
        ASSERT_EQ(s.paths.size(), 1u);
        const ShapePath& p = s.paths[0];
        EXPECT_EQ(p.fill0, 0u);
        EXPECT_EQ(p.fill1, 1u);
        EXPECT_EQ(p.line, 1u);
        EXPECT_EQ(p.start, (Point{10, -20}));
        EXPECT_TRUE(s.layerStarts.empty());
        ASSERT_EQ(p.edges.size(), 4u);
        EXPECT_EQ(p.edges[0].anchor, (Point{110, -20}));
        EXPECT_EQ(p.edges[1].anchor, (Point{110, 30}));
        EXPECT_EQ(p.edges[2].anchor, (Point{10, 30}));
        EXPECT_TRUE(p.edges[3].curved);
        EXPECT_EQ(p.edges[3].control, (Point{20, 20}));
        EXPECT_EQ(p.edges[3].anchor, (Point{25, 25}));
    }
}

TEST(ShapeReaderTest, StyleChangeWithoutMoveSplitsThePathAndKeepsStyles) {
    Bits b = Head(1);
    Edges(b);
    b.ub(1, 0).ub(5, 0b00010).ub(1, 1);                        // fill0 = 1, no move
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 0).ub(1, 1).sb(8, -5);  // vertical line
    b.ub(1, 0).ub(5, 0b00001).ub(5, 4).sb(4, 1).sb(4, 1);      // a move with no edge
    const Shape s = Read(EndRecord(b).done(), 1);
    ASSERT_EQ(s.paths.size(), 2u);  // the edgeless path is dropped
    const ShapePath& p = s.paths[1];
    EXPECT_EQ(p.start, (Point{25, 25}));
    EXPECT_EQ(p.fill0, 1u);
    EXPECT_EQ(p.fill1, 1u);
    EXPECT_EQ(p.line, 1u);
    EXPECT_EQ(p.edges[0].anchor, (Point{25, 20}));
}

TEST(ShapeReaderTest, NewStylesAppendAndOffsetIndexes) {
    Bits b = Head(2);
    Edges(b);
    // NewStyles with fill0 = 2 and line = 1 of the new tables (two fills, one line), then new
    // index widths of 2 bits for fills and 1 for lines.
    b.ub(1, 0).ub(5, 0b11010).ub(1, 0).ub(1, 1);  // fill0 raw 0 in old 1-bit width, line 1
    b.u8(2).u8(0).rgb(0, 255, 0).u8(0).rgb(0, 0, 9);
    b.u8(1).u16(40).rgb(1, 2, 3);
    b.align().ub(4, 2).ub(4, 1);
    b.ub(1, 0).ub(5, 0b00010).ub(2, 2);                        // fill0 = 2 of the new table
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 0).ub(1, 0).sb(8, 30);  // horizontal line
    const Shape s = Read(EndRecord(b).done(), 2);
    ASSERT_EQ(s.fills.size(), 3u);
    ASSERT_EQ(s.lines.size(), 2u);
    EXPECT_EQ(s.fills[2].color, (Rgba{0, 0, 9, 255}));
    EXPECT_EQ(s.lines[1].width, 40);
    ASSERT_EQ(s.paths.size(), 2u);
    EXPECT_EQ(s.layerStarts, std::vector<std::uint32_t>{1});
    EXPECT_EQ(s.paths[1].fill0, 3u);
    EXPECT_EQ(s.paths[1].line, 2u);
    EXPECT_EQ(s.paths[1].edges[0].anchor, (Point{55, 25}));
}

TEST(ShapeReaderTest, ExtendedStyleCountFromShape2) {
    Bits b;
    b.u16(1).rect(0, 1, 0, 1).u8(0xFF).u16(2).u8(0).rgb(1, 1, 1).u8(0).rgb(2, 2, 2).u8(0);
    b.align().ub(4, 0).ub(4, 0);
    const Shape s = Read(EndRecord(b).done(), 2);
    EXPECT_EQ(s.fills.size(), 2u);
    EXPECT_EQ(s.fills[1].color, (Rgba{2, 2, 2, 255}));
}

TEST(ShapeReaderTest, GradientBitmapAndLineStyle2) {
    Bits b;
    b.u16(3).rect(0, 1, 0, 1).rect(0, 1, 0, 1).u8(0x03);  // even-odd, both stroke kinds
    b.u8(3);
    // Focal radial gradient: reflect, linear RGB, two stops, focal point -0.5.
    b.u8(0x13).translate(5, 6).ub(2, 1).ub(2, 1).ub(4, 2);
    b.u8(0).rgba(1, 2, 3, 4).u8(255).rgba(5, 6, 7, 8).u16(0xFF80);
    // Linear gradient, repeat, normal interpolation, one stop.
    b.u8(0x10).translate(0, 0).ub(2, 2).ub(2, 0).ub(4, 1).u8(128).rgba(9, 9, 9, 9);
    // Clipped bitmap 42.
    b.u8(0x41).u16(42).translate(-1, -2);
    b.u8(2);
    // Square start cap, miter join with limit 1.5, filled by a radial gradient, no-close,
    // no end cap; then a plain round line with pixel hinting.
    b.u16(30).ub(2, 2).ub(2, 2).ub(1, 1).ub(1, 1).ub(1, 0).ub(1, 0).ub(5, 0).ub(1, 1).ub(2, 1);
    b.u16(0x0180).u8(0x12).translate(0, 0).ub(2, 0).ub(2, 0).ub(4, 1).u8(0).rgba(1, 1, 1, 1);
    b.u16(10).ub(2, 0).ub(2, 1).ub(1, 0).ub(1, 0).ub(1, 1).ub(1, 1).ub(5, 0).ub(1, 0).ub(2, 0);
    b.rgba(7, 7, 7, 7);
    b.align().ub(4, 0).ub(4, 0);
    const Shape s = Read(EndRecord(b).done(), 4);
    EXPECT_FALSE(s.nonZeroWinding);
    ASSERT_EQ(s.fills.size(), 3u);
    const FillStyle& focal = s.fills[0];
    EXPECT_EQ(focal.type, FillType::FocalRadialGradient);
    EXPECT_EQ(focal.matrix, (Matrix{1, 0, 0, 1, 5, 6}));
    EXPECT_EQ(focal.gradient.spread, SpreadMode::Reflect);
    EXPECT_EQ(focal.gradient.interpolation, InterpolationMode::Linear);
    ASSERT_EQ(focal.gradient.stops.size(), 2u);
    EXPECT_EQ(focal.gradient.stops[1].ratio, 255);
    EXPECT_EQ(focal.gradient.stops[1].color, (Rgba{5, 6, 7, 8}));
    EXPECT_DOUBLE_EQ(focal.gradient.focalPoint, -0.5);
    EXPECT_EQ(s.fills[1].type, FillType::LinearGradient);
    EXPECT_EQ(s.fills[1].gradient.spread, SpreadMode::Repeat);
    EXPECT_EQ(s.fills[1].gradient.interpolation, InterpolationMode::Normal);
    EXPECT_EQ(s.fills[2].type, FillType::ClippedBitmap);
    EXPECT_EQ(s.fills[2].bitmapId, 42);
    EXPECT_EQ(s.fills[2].matrix, (Matrix{1, 0, 0, 1, -1, -2}));
    ASSERT_EQ(s.lines.size(), 2u);
    const LineStyle& miter = s.lines[0];
    EXPECT_EQ(miter.width, 30);
    EXPECT_EQ(miter.startCap, CapStyle::Square);
    EXPECT_EQ(miter.endCap, CapStyle::None);
    EXPECT_EQ(miter.join, JoinStyle::Miter);
    EXPECT_DOUBLE_EQ(miter.miterLimit, 1.5);
    EXPECT_TRUE(miter.noHScale);
    EXPECT_FALSE(miter.noVScale);
    EXPECT_TRUE(miter.noClose);
    ASSERT_TRUE(miter.fill.has_value());
    EXPECT_EQ(miter.fill->type, FillType::RadialGradient);
    const LineStyle& plain = s.lines[1];
    EXPECT_EQ(plain.join, JoinStyle::Bevel);
    EXPECT_TRUE(plain.noVScale);
    EXPECT_TRUE(plain.pixelHinting);
    EXPECT_FALSE(plain.fill.has_value());
    EXPECT_EQ(plain.color, (Rgba{7, 7, 7, 7}));
}

TEST(ShapeReaderTest, EdgesAreChargedToTheBudget) {
    Bits b = Head(1);
    const Bytes body = EndRecord(Edges(b)).done();
    const std::size_t styles = sizeof(FillStyle) + sizeof(LineStyle);
    const std::size_t exact = styles + sizeof(ShapePath) + 4 * sizeof(ShapeEdge);
    EXPECT_EQ(Read(body, 1, exact).paths.size(), 1u);
    try {
        Read(body, 1, exact - 1);
        ADD_FAILURE() << "no error";
    } catch (const SwfError& e) {
        EXPECT_STREQ(e.what(), "movie too large to decode");
    }
}

TEST(ShapeReaderTest, MalformedShapesThrow) {
    struct Case {
        const char* name;
        Bytes body;
        int version;
        const char* reason;
    };
    auto styles = [](int fills) {
        Bits b;
        b.u16(1).rect(0, 1, 0, 1).u8(static_cast<std::uint8_t>(fills));
        for (int i = 0; i < fills; ++i) b.u8(0).rgb(0, 0, 0);
        return b.u8(0);
    };
    Bits outOfRange = styles(1);
    outOfRange.align().ub(4, 2).ub(4, 0).ub(1, 0).ub(5, 0b00010).ub(2, 2);
    Bits noEnd = styles(0);
    noEnd.align().ub(4, 0).ub(4, 0).ub(1, 1).ub(1, 1).ub(4, 0).ub(1, 1).sb(2, 1).sb(2, 1);
    Bits overflow = styles(0);
    overflow.align().ub(4, 0).ub(4, 0).ub(1, 0).ub(5, 1).ub(5, 31).sb(31, 0x3FFFFFFF).sb(31, 0);
    for (int i = 0; i < 20000; ++i)
        overflow.ub(1, 1).ub(1, 1).ub(4, 15).ub(1, 1).sb(17, 65535).sb(17, 0);
    EndRecord(overflow);
    const std::vector<Case> cases = {
        {"gradient without stops",
         Bits().u16(1).rect(0, 1, 0, 1).u8(1).u8(0x10).translate(0, 0).u8(0).done(), 2,
         "gradient without stops"},
        {"unknown fill type", Bits().u16(1).rect(0, 1, 0, 1).u8(1).u8(0x20).done(), 2,
         "unknown fill style type"},
        {"focal gradient in DefineShape3",
         Bits()
             .u16(1)
             .rect(0, 1, 0, 1)
             .u8(1)
             .u8(0x13)
             .translate(0, 0)
             .ub(4, 0)
             .ub(4, 1)
             .u8(0)
             .rgba(0, 0, 0, 0)
             .u16(0)
             .done(),
         3, "focal gradient before DefineShape4"},
        {"fill count beyond the tag", Bits().u16(1).rect(0, 1, 0, 1).u8(0xFF).u16(60000).done(), 2,
         "style count beyond the tag"},
        {"fill index beyond its table", outOfRange.done(), 1, "style index out of range"},
        {"records without end", noEnd.done(), 1, "truncated tag"},
        {"coordinates beyond 32 bits", overflow.done(), 1, "shape coordinate out of range"},
        {"missing bounds", Bits().u16(1).done(), 1, "truncated tag"},
    };
    for (const auto& c : cases) {
        try {
            Read(c.body, c.version);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const SwfError& e) {
            EXPECT_STREQ(e.what(), c.reason) << c.name;
        }
    }
}

}  // namespace
}  // namespace saver::swf
