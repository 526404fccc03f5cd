// Language rules scripts can observe: the order in which sort calls a compare function, the
// identity of NaN under ==, and the characters chr and mbchr make per SWF version.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "swf/avm1/ArraySort.h"
#include "swf/avm1/StringUtil.h"
#include "swf/avm1/Value.h"

namespace saver::swf::avm1 {
namespace {

// Sorts one-letter strings, recording every comparison as "xy"; `neverEqual` makes a
// comparator that answers "greater" for equal items (content that breaks the contract).
std::pair<std::string, std::string> SortLetters(const std::string& letters, bool neverEqual) {
    std::vector<std::pair<std::size_t, Value>> items;
    for (char ch : letters) items.emplace_back(items.size(), std::string(1, ch));
    std::string calls;
    PlayerQuickSort(items, [&](const Value& a, const Value& b) {
        const std::string& x = a.asString();
        const std::string& y = b.asString();
        calls += x + y + " ";
        if (x < y) return -1;
        return x > y || neverEqual ? 1 : 0;
    });
    std::string sorted;
    for (const auto& item : items) sorted += item.second.asString();
    return {calls, sorted};
}

TEST(Avm1LanguageRules, SortCallsTheCompareFunctionInThePlayersOrder) {
    // Call sequences as the player traces them from a script's compare function.
    const struct {
        const char* in;
        bool neverEqual;
        const char* calls;
        const char* out;
    } cases[] = {
        {"acbd", false, "ac ad ab ac cb cd cb ", "abcd"},
        {"acbdc", false, "ac ac ad ab ac cb cd cc cd cb dc ", "abccd"},
        {"acbdc", true, "ac ac ad ab ac cb cd cc cc cd cc cb ", "abccd"},
        {"a", false, "", "a"},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto [calls, sorted] = SortLetters(c.in, c.neverEqual);
        EXPECT_EQ(calls, c.calls) << c.in;
        EXPECT_EQ(sorted, c.out) << c.in;
    }
}

TEST(Avm1LanguageRules, NanEqualsOnlyCopiesOfItself) {
    const double nan = std::nan("");
    const Value a(nan), copy = a, other(nan), one(1.0);
    EXPECT_TRUE(a.isNumber() && std::isnan(a.asNumber()));
    EXPECT_TRUE(a.sameNaN(copy));
    EXPECT_FALSE(a.sameNaN(other));
    EXPECT_FALSE(a.sameNaN(one));
    EXPECT_FALSE(one.sameNaN(Value(1.0)));
}

TEST(Avm1LanguageRules, ChrAndMbchrPerVersion) {
    const struct {
        int code, version;
        bool mb;
        std::string out;
    } cases[] = {
        {65, 5, false, "A"},       {0x10041, 5, false, "A"},     // chr keeps the low byte in SWF 5
        {0x10040, 7, false, "@"},                                // and 16 bits later
        {0x10040, 7, true, "@"},   {200, 7, false, "\xC3\x88"},  // UTF-8 from SWF 6
        {300, 5, true, "\x01,"},                                 // two bytes, high first
        {0x1900, 5, true, "\x19"},                               // a zero low byte ends the string
        {0x10040, 5, true, ""},                                  // beyond 16 bits: nothing
        {65536, 7, false, ""},                                   // code 0
    };
    for (const auto& c : cases) {
        const std::string got =
            c.mb ? MbCharFromCode(c.code, c.version) : CharFromCode(c.code, c.version);
        EXPECT_EQ(got, c.out) << c.code << " v" << c.version << (c.mb ? " mb" : "");
    }
}

}  // namespace
}  // namespace saver::swf::avm1
