// The file names packed items come out under: the runtime's member-name rules, with "**"
// standing for "=".
#include <gtest/gtest.h>

#include "payload/PayloadLayout.h"

namespace saver {
namespace {

TEST(ItemFileNameTest, FollowsTheRuntimeRules) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"sc2.swf", "sc2.swf"},
        {"a**b.swf", "a=b.swf"},
        {"caf\xE9.swf", "caf\xE9.swf"},  // ANSI kept as it is
        {"..\\..\\evil.dll", "evil.dll"},
        {"sub/dir/x.xml", "x.xml"},
        {"trailing. ", "trailing"},
        {"CON", std::nullopt},
        {"nul.swf", std::nullopt},
        {"lpt1.txt", std::nullopt},
        {"..", std::nullopt},
        {"", std::nullopt},
        {"a?b.swf", std::nullopt},
        {"C:x.swf", std::nullopt},
    };
    for (const auto& [item, expected] : cases) {
        SCOPED_TRACE(item);
        EXPECT_EQ(ItemFileName(item), expected);
    }
}

}  // namespace
}  // namespace saver
