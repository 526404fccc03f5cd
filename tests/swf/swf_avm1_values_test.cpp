// The number and string rules of the script engine, per SWF version: the exact number format
// the player prints, string to number with its version differences, ToInt32.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "swf/avm1/Value.h"

namespace saver::swf::avm1 {
namespace {

TEST(Avm1Values, NumberToStringMatchesThePlayer) {
    const struct {
        double in;
        const char* out;
    } cases[] = {
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {std::pow(2.0, 50), "1.12589990684262e+15"},
        {std::pow(2.0, -17), "7.62939453125e-6"},
        {0.00001, "0.00001"},
        {1e21, "1e+21"},
        {-2147483648.0, "-2147483648"},
        {4294967296.0, "4294967296"},
        {123456789012345680000.0, "1.23456789012346e+20"},
        {-0.0, "0"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
        // The player's digit loop: powers of ten as doubles, the rest in extended precision.
        {std::numeric_limits<double>::max(), "1.79769313486231e+308"},
        {1.0622118484416466e-11, "1.06221184844165e-11"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberToString(c.in), c.out) << c.out;
}

TEST(Avm1Values, RadixStringsTruncateLikeTheProcessor) {
    // NaN and anything outside 32 bits become INT32_MIN, whose digits fall below '0'.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(NumberToRadixString(nan, 2), "-/" + std::string(31, '0'));
    EXPECT_EQ(NumberToRadixString(nan, 16), "-(0000000");
    EXPECT_EQ(NumberToRadixString(nan, 10), "NaN");
    EXPECT_EQ(NumberToRadixString(-123.1, 16), "-7b");
    EXPECT_EQ(NumberToRadixString(-2147483647.9, 36), "-zik0zj");
    EXPECT_EQ(NumberToRadixString(0, 2), "0");
}

TEST(Avm1Values, StringToNumberFollowsTheVersion) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* in;
        int version;
        double out;
    } cases[] = {
        {"0x2", 5, nan},      {"0x2", 6, 2},    {" 0x2", 7, nan}, {"0x-2", 6, -2},
        {"030", 5, 30},       {"030", 6, 24},   {" 030", 6, 30},  {"030912", 7, 30912},
        {" -2", 6, -2},       {"- 2", 6, nan},  {"12abc", 4, 12}, {"abc", 4, 0},
        {"12abc", 5, nan},    {"", 5, nan},     {"1.", 7, 1},     {".2", 7, 0.2},
        {"Infinity", 7, nan}, {"1e3", 7, 1000}, {"2 ", 7, nan},
    };
    for (const auto& c : cases) {
        const double got = StringToNumber(c.in, c.version);
        if (std::isnan(c.out))
            EXPECT_TRUE(std::isnan(got)) << c.in << " v" << c.version;
        else
            EXPECT_EQ(got, c.out) << c.in << " v" << c.version;
    }
}

TEST(Avm1Values, ToInt32WrapsAndTruncates) {
    EXPECT_EQ(ToInt32(StringToNumber("030e12", 7)), -346562560);
    EXPECT_EQ(ToInt32(-1.9), -1);
    EXPECT_EQ(ToInt32(4294967297.0), 1);
    EXPECT_EQ(ToInt32(std::numeric_limits<double>::infinity()), 0);
}

TEST(Avm1Values, PrimitivesPrintByVersion) {
    EXPECT_EQ(PrimitiveToString(Value{}, 6), "");
    EXPECT_EQ(PrimitiveToString(Value{}, 7), "undefined");
    EXPECT_EQ(PrimitiveToString(Value(true), 4), "1");
    EXPECT_EQ(PrimitiveToString(Value(true), 5), "true");
}

}  // namespace
}  // namespace saver::swf::avm1
