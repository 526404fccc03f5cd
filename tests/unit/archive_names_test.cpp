// Which member names become which file names, and which are refused.
#include <gtest/gtest.h>

#include "archive/MemberName.h"

namespace saver {
namespace {

struct NameCase {
    const char* stored;
    bool utf8;
    const char* expected;  // nullptr: the member is skipped
};

const NameCase kNames[] = {
    {"movie.swf", false, "movie.swf"},
    {"media/flash/movie.swf", false, "movie.swf"},
    {"media\\movie.swf", false, "movie.swf"},
    {"../../../Windows/evil.dll", false, "evil.dll"},
    {"..\\..\\evil.dll", false, "evil.dll"},
    {"/abs/path.txt", false, "path.txt"},
    {"folder/", false, nullptr},
    {"folder\\", false, nullptr},
    {"", false, nullptr},
    {".", false, nullptr},
    {"..", false, nullptr},
    {"a/..", false, nullptr},
    {"...", false, nullptr},
    {" . ", false, nullptr},
    {"C:evil.txt", false, nullptr},
    {"C:\\evil.txt", false, "evil.txt"},
    {"file.txt:stream", false, nullptr},
    {"what?.txt", false, nullptr},
    {"star*.txt", false, nullptr},
    {"pipe|.txt", false, nullptr},
    {"quote\".txt", false, nullptr},
    {"angle<.txt", false, nullptr},
    {"tab\there.txt", false, nullptr},
    {"CON", false, nullptr},
    {"con.txt", false, nullptr},
    {"dir/Con.tar.gz", false, nullptr},
    {"PRN", false, nullptr},
    {"aux.swf", false, nullptr},
    {"NUL", false, nullptr},
    {"nul .txt", false, nullptr},
    {"COM1", false, nullptr},
    {"com9.log", false, nullptr},
    {"LPT1", false, nullptr},
    {"lpt9.txt", false, nullptr},
    {"conout$", false, nullptr},
    {"CONIN$.txt", false, nullptr},
    {"COM\xC2\xB9.txt", true, nullptr},  // superscript one, in UTF-8
    {"lpt\xFD.log", false, nullptr},     // superscript two, in code page 437
    {"COM0.txt", false, "COM0.txt"},
    {"LPT10.txt", false, "LPT10.txt"},
    {"CONSOLE.txt", false, "CONSOLE.txt"},
    {"NULL", false, "NULL"},
    {"xcon.txt", false, "xcon.txt"},
    {".hidden", false, ".hidden"},
    {"trailing.txt. .", false, "trailing.txt"},
    {"settings.zip.", false, "settings.zip"},
    // OEM code page 437: 0x81 is u-umlaut, 0xE1 is sharp s.
    {"\x81"
     "ber-Stra\xE1"
     "e.txt",
     false,
     "\xFC"
     "ber-Stra\xDF"
     "e.txt"},
    {"\xC3\xBC"
     "ber.txt",
     true,
     "\xFC"
     "ber.txt"},
    {"dir/\xC3\xA9t\xC3\xA9.txt", true, "\xE9t\xE9.txt"},
};

class MemberNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(MemberNames, BareSafeAnsiName) {
    const NameCase& c = GetParam();
    const auto name = MemberName::fileNameFor(c.stored, c.utf8, CodePages{});
    if (c.expected == nullptr)
        EXPECT_FALSE(name.has_value()) << "got " << name.value_or("");
    else
        EXPECT_EQ(name.value_or("<skipped>"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Archive, MemberNames, ::testing::ValuesIn(kNames));

// The same bytes are other letters on other systems: names follow the system's code pages.
TEST(MemberNamesByLocale, ConvertedFromTheOemToTheAnsiCodePage) {
    struct Case {
        CodePages pages;
        const char* stored;
        bool utf8;
        const char* expected;
    };
    const Case cases[] = {
        {{850, 1252}, "A\x87\xC6o.002", false, "A\xE7\xE3o.002"},                      // Ação
        {{866, 1251}, "\x91\xA0\xE8\xA0.002", false, "\xD1\xE0\xF8\xE0.002"},          // Саша
        {{852, 1250}, "Brn\xD8nsk\xEC.swf", false, "Brn\xECnsk\xFD.swf"},              // Brněnský
        {{737, 1253}, "\x80\x9F\xE3\xA4\x98.swf", false, "\xC1\xE8\xDE\xED\xE1.swf"},  // Αθήνα
        {{866, 1251}, "\xD0\xA1.swf", true, "\xD1.swf"},                               // UTF-8 С
        {{866, 1251}, "\xB0.swf", false, "_.swf"},          // a box-drawing piece has no ANSI byte
        {{437, 1252}, "\x87\xC6.swf", false, "\xE7_.swf"},  // the same bytes in code page 437
    };
    for (const Case& c : cases)
        EXPECT_EQ(MemberName::fileNameFor(c.stored, c.utf8, c.pages).value_or("<skipped>"),
                  c.expected)
            << c.pages.oem << "/" << c.pages.ansi << " " << c.stored;
}

}  // namespace
}  // namespace saver
