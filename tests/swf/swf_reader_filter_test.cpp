// Filter lists of PlaceObject3, from hand-written bytes: every kind's fields and flags, and
// what a list with an unknown or truncated filter keeps.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "swf/format/FilterReader.h"
#include "swf/format/SwfReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using test::Bits;
using test::Bytes;

std::uint32_t Fixed(double v) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 65536)));
}
std::uint32_t Float(float v) {
    return std::bit_cast<std::uint32_t>(v);
}

std::vector<Filter> Read(const Bytes& bytes, bool* complete = nullptr) {
    SwfBitReader in(bytes, "filters");
    std::vector<Filter> out;
    const bool ok = ReadFilterList(in, out);
    if (complete) *complete = ok;
    return out;
}

struct FilterCase {
    const char* name;
    Bytes body;  // one filter: id and fields
    std::function<void(const Filter&)> check;
};

TEST(SwfFilterReader, EveryKindDecodes) {
    const double quarter = std::numbers::pi / 4;
    const std::vector<FilterCase> cases = {
        {"drop shadow: inner, knockout, 3 passes",
         Bits()
             .u8(0)
             .rgba(1, 2, 3, 128)
             .u32(Fixed(4.5))
             .u32(Fixed(6))
             .u32(Fixed(quarter))
             .u32(Fixed(5))
             .u16(0x180)
             .u8(0xC3)
             .done(),
         [&](const Filter& f) {
             EXPECT_EQ(f.kind, FilterKind::DropShadow);
             EXPECT_EQ(f.color, (Rgba{1, 2, 3, 128}));
             EXPECT_DOUBLE_EQ(f.blurX, 4.5);
             EXPECT_DOUBLE_EQ(f.blurY, 6);
             EXPECT_NEAR(f.angle, quarter, 1e-4);
             EXPECT_DOUBLE_EQ(f.distance, 5);
             EXPECT_DOUBLE_EQ(f.strength, 1.5);
             EXPECT_TRUE(f.inner && f.knockout);
             EXPECT_FALSE(f.compositeSource);
             EXPECT_EQ(f.passes, 3);
         }},
        {"blur: passes in the high five bits",
         Bits().u8(1).u32(Fixed(10)).u32(Fixed(2.25)).u8(2 << 3).done(),
         [](const Filter& f) {
             EXPECT_EQ(f.kind, FilterKind::Blur);
             EXPECT_DOUBLE_EQ(f.blurX, 10);
             EXPECT_DOUBLE_EQ(f.blurY, 2.25);
             EXPECT_EQ(f.passes, 2);
         }},
        {"glow: composite source",
         Bits().u8(2).rgba(255, 0, 0, 255).u32(Fixed(8)).u32(Fixed(8)).u16(0x200).u8(0x21).done(),
         [](const Filter& f) {
             EXPECT_EQ(f.kind, FilterKind::Glow);
             EXPECT_DOUBLE_EQ(f.strength, 2);
             EXPECT_TRUE(f.compositeSource);
             EXPECT_FALSE(f.inner);
             EXPECT_EQ(f.passes, 1);
         }},
        {"bevel: highlight colour first, on top, passes in four bits",
         Bits()
             .u8(3)
             .rgba(255, 255, 255, 255)
             .rgba(0, 0, 0, 255)
             .u32(Fixed(4))
             .u32(Fixed(4))
             .u32(0)
             .u32(Fixed(2))
             .u16(0x100)
             .u8(0x9F)
             .done(),
         [](const Filter& f) {
             EXPECT_EQ(f.kind, FilterKind::Bevel);
             EXPECT_EQ(f.highlight, (Rgba{255, 255, 255, 255}));
             EXPECT_EQ(f.color, (Rgba{0, 0, 0, 255}));
             EXPECT_TRUE(f.inner && f.onTop);
             EXPECT_EQ(f.passes, 15);
         }},
        {"gradient glow: colours, then ratios",
         Bits()
             .u8(4)
             .u8(2)
             .rgba(255, 0, 0, 0)
             .rgba(0, 0, 255, 255)
             .u8(0)
             .u8(255)
             .u32(Fixed(3))
             .u32(Fixed(3))
             .u32(0)
             .u32(0)
             .u16(0x100)
             .u8(0x01)
             .done(),
         [](const Filter& f) {
             EXPECT_EQ(f.kind, FilterKind::GradientGlow);
             ASSERT_EQ(f.gradient.size(), 2u);
             EXPECT_EQ(f.gradient[1].color, (Rgba{0, 0, 255, 255}));
             EXPECT_EQ(f.gradient[1].ratio, 255);
             EXPECT_DOUBLE_EQ(f.blurX, 3);
         }},
        {"convolution 3x2: kernel by rows, clamp and preserve alpha",
         Bits()
             .u8(5)
             .u8(3)
             .u8(2)
             .u32(Float(6))
             .u32(Float(0.5f))
             .u32(Float(1))
             .u32(Float(2))
             .u32(Float(3))
             .u32(Float(-1))
             .u32(Float(-2))
             .u32(Float(-3))
             .rgba(9, 9, 9, 9)
             .u8(0x03)
             .done(),
         [](const Filter& f) {
             EXPECT_EQ(f.kind, FilterKind::Convolution);
             EXPECT_EQ(f.matrixX, 3);
             EXPECT_EQ(f.matrixY, 2);
             EXPECT_EQ(f.kernel, (std::vector<float>{1, 2, 3, -1, -2, -3}));
             EXPECT_EQ(f.divisor, 6);
             EXPECT_EQ(f.bias, 0.5f);
             EXPECT_TRUE(f.clamp && f.preserveAlpha);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool complete = false;
        const auto filters = Read(Bits().u8(1).bytes(c.body).done(), &complete);
        EXPECT_TRUE(complete);
        ASSERT_EQ(filters.size(), 1u);
        c.check(filters[0]);
    }
}

TEST(SwfFilterReader, ColorMatrixAndListOrder) {
    Bits b;
    b.u8(2).u8(6);
    for (int i = 0; i < 20; ++i) b.u32(Float(static_cast<float>(i)));
    b.u8(1).u32(Fixed(2)).u32(Fixed(2)).u8(1 << 3);
    const auto filters = Read(b.done());
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].kind, FilterKind::ColorMatrix);
    EXPECT_EQ(filters[0].colorMatrix[19], 19.0f);
    EXPECT_EQ(filters[1].kind, FilterKind::Blur);
}

// An unknown kind cannot be skipped (filters carry no length): the list ends there, keeping
// what came before. A filter cut short is an error of the tag.
TEST(SwfFilterReader, DamagedLists) {
    bool complete = true;
    const auto kept =
        Read(Bits().u8(2).u8(1).u32(Fixed(2)).u32(Fixed(2)).u8(8).u8(9).done(), &complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(kept.size(), 1u);
    EXPECT_THROW(Read(Bits().u8(1).u8(0).rgba(0, 0, 0, 0).done()), SwfError);
    EXPECT_THROW(Read(Bits().u8(1).u8(5).u8(15).u8(15).u32(0).u32(0).done()), SwfError);
}

}  // namespace
}  // namespace saver::swf
