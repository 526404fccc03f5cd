// Bit fields and the basic records, from hand-written bytes.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using test::Bits;
using test::Bytes;

struct FieldCase {
    const char* name;
    Bytes bytes;
    std::function<double(SwfBitReader&)> read;  // reads the fields, returns the last
    double expected;
};

TEST(SwfBitReaderTest, FieldsDecode) {
    const std::vector<FieldCase> cases = {
        {"ub crosses bytes",
         {0b10110011, 0b01000000},
         [](auto& r) { return r.ub(10); },
         0b1011001101},
        {"ub after ub",
         {0b10110011},
         [](auto& r) {
             r.ub(3);
             return r.ub(5);
         },
         0b10011},
        {"sb negative", {0b11100000}, [](auto& r) { return r.sb(3); }, -1},
        {"sb minimum", {0b10000000}, [](auto& r) { return r.sb(4); }, -8},
        {"sb positive", {0b01100000}, [](auto& r) { return r.sb(3); }, 3},
        {"sb zero bits", {}, [](auto& r) { return r.sb(0); }, 0},
        {"sb 32 bits", {0xFF, 0xFF, 0xFF, 0xFE}, [](auto& r) { return r.sb(32); }, -2},
        {"ub 32 bits", {0xFF, 0xFF, 0xFF, 0xFE}, [](auto& r) { return r.ub(32); }, 4294967294.0},
        {"fb 16.16", {0x18, 0x00, 0x00}, [](auto& r) { return r.fb(20); }, 1.5},
        {"fb negative half", {0b11000000}, [](auto& r) { return r.fb(2) * 65536; }, -1},
        {"u8 realigns",
         {0xFF, 0x2A},
         [](auto& r) {
             r.ub(1);
             return r.u8();
         },
         42},
        {"u16 little endian", {0x34, 0x12}, [](auto& r) { return r.u16(); }, 0x1234},
        {"u32 little endian",
         {0x78, 0x56, 0x34, 0x12},
         [](auto& r) { return r.u32(); },
         0x12345678},
        {"remaining skips the partly read byte",
         {0x00, 0x00, 0x00},
         [](auto& r) {
             r.ub(1);
             return r.remaining();
         },
         2},
        {"at end inside last byte",
         {0x00},
         [](auto& r) {
             r.ub(7);
             return r.atEnd();
         },
         1},
    };
    for (const auto& c : cases) {
        SwfBitReader r(c.bytes, "test");
        EXPECT_DOUBLE_EQ(c.read(r), c.expected) << c.name;
    }
}

TEST(SwfBitReaderTest, ReadsPastTheEndThrow) {
    const std::vector<FieldCase> cases = {
        {"ub", {0xFF}, [](auto& r) { return r.ub(9); }, 0},
        {"ub after bits",
         {0xFF, 0xFF},
         [](auto& r) {
             r.ub(3);
             return r.ub(14);
         },
         0},
        {"u16", {0xFF}, [](auto& r) { return r.u16(); }, 0},
        {"u8 after partial byte",
         {0xFF},
         [](auto& r) {
             r.ub(1);
             return r.u8();
         },
         0},
        {"skip",
         {1, 2, 3},
         [](auto& r) {
             r.skip(4);
             return 0;
         },
         0},
        {"string without NUL", {'a', 'b'}, [](auto& r) { return r.string().size(); }, 0},
        {"ub wider than 32", {0, 0, 0, 0, 0}, [](auto& r) { return r.ub(33); }, 0},
    };
    for (const auto& c : cases) {
        SwfBitReader r(c.bytes, "test");
        EXPECT_THROW(c.read(r), SwfError) << c.name;
    }
}

TEST(SwfBasicRecordsTest, Rect) {
    // Nbits 6: xMin -1, xMax 31, yMin -32, yMax 0.
    const Bytes bytes = Bits().ub(5, 6).sb(6, -1).sb(6, 31).sb(6, -32).sb(6, 0).done();
    SwfBitReader r(bytes, "test");
    EXPECT_EQ(ReadRect(r), (Rect{-1, 31, -32, 0}));
    EXPECT_TRUE(r.atEnd());
}

TEST(SwfBasicRecordsTest, Matrix) {
    struct Case {
        const char* name;
        Bytes bytes;
        Matrix expected;
    };
    const std::vector<Case> cases = {
        {"identity", Bits().ub(1, 0).ub(1, 0).ub(5, 0).done(), Matrix{}},
        {"translate", Bits().ub(1, 0).ub(1, 0).ub(5, 8).sb(8, -20).sb(8, 100).done(),
         Matrix{1, 0, 0, 1, -20, 100}},
        {"scale",
         Bits().ub(1, 1).ub(5, 20).sb(20, 0x20000).sb(20, -0x8000).ub(1, 0).ub(5, 0).done(),
         Matrix{2, 0, 0, -0.5, 0, 0}},
        {"rotate order b then c",
         Bits().ub(1, 0).ub(1, 1).ub(5, 18).sb(18, 0x10000).sb(18, -0x10000).ub(5, 0).done(),
         Matrix{1, 1, -1, 1, 0, 0}},
        {"zero-bit scale", Bits().ub(1, 1).ub(5, 0).ub(1, 0).ub(5, 0).done(),
         Matrix{0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SwfBitReader r(c.bytes, "test");
        EXPECT_EQ(ReadMatrix(r), c.expected) << c.name;
    }
}

TEST(SwfBasicRecordsTest, ColorTransform) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool alpha;
        ColorTransform expected;
    };
    const std::vector<Case> cases = {
        {"none", Bits().ub(1, 0).ub(1, 0).ub(4, 0).done(), false, ColorTransform{}},
        {"mul only, no alpha",
         Bits().ub(1, 0).ub(1, 1).ub(4, 10).sb(10, 128).sb(10, 256).sb(10, -256).done(), false,
         ColorTransform{0.5, 1, -1, 1, 0, 0, 0, 0}},
        {"add only, no alpha",
         Bits().ub(1, 1).ub(1, 0).ub(4, 10).sb(10, 255).sb(10, -255).sb(10, 1).done(), false,
         ColorTransform{1, 1, 1, 1, 255, -255, 1, 0}},
        {"mul before add, with alpha",
         Bits()
             .ub(1, 1)
             .ub(1, 1)
             .ub(4, 10)
             .sb(10, 64)
             .sb(10, 128)
             .sb(10, 192)
             .sb(10, 256)
             .sb(10, 1)
             .sb(10, 2)
             .sb(10, 3)
             .sb(10, -4)
             .done(),
         true, ColorTransform{0.25, 0.5, 0.75, 1, 1, 2, 3, -4}},
    };
    for (const auto& c : cases) {
        SwfBitReader r(c.bytes, "test");
        EXPECT_EQ(ReadColorTransform(r, c.alpha), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace saver::swf
