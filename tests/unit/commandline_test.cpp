#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDrive.h"
#include "app/CommandLine.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"

namespace saver {
namespace {

constexpr WindowHandle kForeground = 0x2A0F3E;

struct CommandLineCase {
    std::vector<std::string> args;
    int runMode;
    WindowHandle parent;
    WindowHandle returnWindow;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, DecodesRunState) {
    const CommandLineCase& c = GetParam();
    testing::TestDrive drive;
    FakeServices sys;
    sys.foreground = kForeground;
    Runtime rt(drive.fs, sys);

    DecodeCommandLine(rt, c.args);

    EXPECT_EQ(rt.RunMode, c.runMode);
    EXPECT_EQ(rt.ParentWindowHandle, c.parent);
    EXPECT_EQ(rt.ReturnWindow, c.returnWindow);
}

INSTANTIATE_TEST_SUITE_P(
    AllForms, CommandLineTest,
    ::testing::Values(
        CommandLineCase{{}, 1, 0, 0},
        // Full screen: any letter but A, C and P; the focus window is remembered.
        CommandLineCase{{"/s"}, 3, 0, kForeground}, CommandLineCase{{"-S"}, 3, 0, kForeground},
        CommandLineCase{{"xs"}, 3, 0, kForeground}, CommandLineCase{{"/save"}, 3, 0, kForeground},
        CommandLineCase{{"/s", "123"}, 3, 0, kForeground},
        // Settings dialog asked for by Display Properties; a number is never read.
        CommandLineCase{{"/c"}, 2, 0, kForeground}, CommandLineCase{{"/c:4711"}, 2, 0, kForeground},
        CommandLineCase{{"/config"}, 2, 0, kForeground},
        CommandLineCase{{"/C", "4711"}, 2, 0, kForeground},
        // Preview: needs a second argument.
        CommandLineCase{{"/p", "4711"}, 4, 4711, 0}, CommandLineCase{{"-P", "4711"}, 4, 4711, 0},
        CommandLineCase{{"/p"}, 1, 0, 0}, CommandLineCase{{"/p:4711"}, 1, 0, 0},
        CommandLineCase{{"/p", "0x10"}, 4, 0, 0},
        // Password change: needs a second argument; a non-number is handle 0.
        CommandLineCase{{"/a", "4711"}, 5, 4711, 0}, CommandLineCase{{"/a"}, 1, 0, 0},
        CommandLineCase{{"/a", "xyz"}, 5, 0, 0}, CommandLineCase{{"/a", "-12"}, 5, -12, 0},
        // 64-bit handles must survive intact.
        CommandLineCase{{"/p", "81604378624"}, 4, 81604378624LL, 0},
        CommandLineCase{{"/a", "9223372036854775807"}, 5, 9223372036854775807LL, 0},
        CommandLineCase{{"/p", "9223372036854775808"}, 4, 0, 0},
        // A lone character (or an empty argument) selects the settings dialog.
        CommandLineCase{{"s"}, 1, 0, 0}, CommandLineCase{{"/"}, 1, 0, 0},
        CommandLineCase{{""}, 1, 0, 0}, CommandLineCase{{"p", "4711"}, 1, 0, 0}));

}  // namespace
}  // namespace saver
