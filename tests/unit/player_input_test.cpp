#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "player/InputRules.h"

namespace saver {
namespace {

using A = InputAction;

// "MM MP KP SC OE": MouseMove, MousePress, KeyboardPress, ShowCursor, OnlyEscKeyExit on.
SaverSetting With(const std::string& flags) {
    SaverSetting s;
    s.MouseMove = s.MousePress = s.KeyboardPress = s.ShowCursor = s.OnlyEscKeyExit = false;
    std::istringstream in(flags);
    for (std::string f; in >> f;) {
        if (f == "MM")
            s.MouseMove = true;
        else if (f == "MP")
            s.MousePress = true;
        else if (f == "KP")
            s.KeyboardPress = true;
        else if (f == "SC")
            s.ShowCursor = true;
        else if (f == "OE")
            s.OnlyEscKeyExit = true;
        else
            ADD_FAILURE() << "unknown flag " << f;
    }
    return s;
}

TEST(InputRulesTest, EveryRow) {
    constexpr std::uint32_t MButtonDown = 0x0207, KeyUp = 0x0101, LButtonUp = 0x0202;
    struct Row {
        const char* flags;
        std::uint32_t message;
        std::uint64_t wParam;
        int budget;
        bool visible;
        InputDecision expected;
    };
    const Row rows[] = {
        // Keys with OnlyEscKeyExit: Esc only, whatever else is on.
        {"OE", msg::KeyDown, msg::KeyEscape, 20, true, {A::ExitAttempt}},
        {"OE", msg::SysKeyDown, msg::KeyEscape, 20, true, {A::ExitAttempt}},
        {"OE", msg::KeyDown, 'A', 20, true, {}},
        {"OE SC KP", msg::KeyDown, 'A', 20, true, {}},
        // Keys without it.
        {"KP", msg::KeyDown, 'A', 20, true, {A::ExitAttempt}},
        {"KP", msg::SysKeyDown, 18, 20, true, {A::ExitAttempt}},
        {"SC", msg::KeyDown, 'A', 20, true, {A::ExitAttempt}},
        {"SC MM MP", msg::KeyDown, 'A', 20, true, {A::ExitAttempt}},
        {"", msg::KeyDown, 'A', 20, true, {A::ExitAttempt}},
        {"", msg::SysKeyDown, 'A', 20, true, {A::ExitAttempt}},
        {"MM", msg::KeyDown, 'A', 20, true, {}},
        {"MP", msg::KeyDown, msg::KeyEscape, 20, true, {}},
        // Alt+F4 is a key like any other, and never also a close of the window.
        {"KP", msg::SysKeyDown, msg::KeyF4, 20, true, {A::ExitAttempt, true}},
        {"OE", msg::SysKeyDown, msg::KeyF4, 20, true, {A::None, true}},
        {"MP", msg::SysKeyDown, msg::KeyF4, 20, true, {A::None, true}},
        {"KP", msg::KeyDown, msg::KeyF4, 20, true, {A::ExitAttempt}},
        {"KP", KeyUp, 'A', 20, true, {}},
        // Mouse moves.
        {"MM", msg::MouseMove, 0, 20, true, {A::SpendMouseMove}},
        {"MM", msg::MouseMove, 0, 1, true, {A::SpendMouseMove}},
        {"MM", msg::MouseMove, 0, 0, true, {A::ExitAttempt}},
        {"MM", msg::MouseMove, 0, -1, true, {A::ExitAttempt}},
        {"MM SC", msg::MouseMove, 0, 0, true, {}},
        {"MM OE", msg::MouseMove, 0, 0, true, {}},
        {"MP KP", msg::MouseMove, 0, 0, true, {}},
        {"", msg::MouseMove, 0, 0, true, {}},
        // Clicks: the only input marked handled.
        {"MP", msg::LButtonDown, 0, 20, true, {A::ExitAttempt, true}},
        {"MP", msg::RButtonDown, 0, 20, true, {A::ExitAttempt, true}},
        {"MP SC", msg::LButtonDown, 0, 20, true, {}},
        {"MP OE", msg::RButtonDown, 0, 20, true, {}},
        {"MM KP", msg::LButtonDown, 0, 20, true, {}},
        {"", msg::LButtonDown, 0, 20, true, {}},
        {"MP", MButtonDown, 0, 20, true, {}},
        {"MP", LButtonUp, 0, 20, true, {}},
        // The system's request to start a screensaver is swallowed.
        {"", msg::SysCommand, msg::ScScreenSave, 20, true, {A::None, true}},
        {"", msg::SysCommand, msg::ScScreenSave | 0x2, 20, true, {A::None, true}},
        {"", msg::SysCommand, 0xF060, 20, true, {}},  // SC_CLOSE
        // Nothing counts while the window is hidden.
        {"KP", msg::KeyDown, 'A', 20, false, {}},
        {"MP", msg::LButtonDown, 0, 20, false, {}},
        {"MM", msg::MouseMove, 0, 0, false, {}},
        {"", msg::SysCommand, msg::ScScreenSave, 20, false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "flags \"" << r.flags << "\" message 0x" << std::hex
                                          << r.message << " wParam 0x" << r.wParam << std::dec
                                          << " budget " << r.budget << " visible " << r.visible);
        const InputDecision d =
            DecideInput(With(r.flags), r.message, r.wParam, r.budget, r.visible);
        EXPECT_EQ(d.action, r.expected.action);
        EXPECT_EQ(d.handled, r.expected.handled);
    }
}

TEST(InputRulesTest, CloseRequestsFollowTheKeyRules) {
    struct Row {
        const char* flags;
        bool visible;
        InputAction action;
    };
    const Row rows[] = {
        {"KP", true, A::ExitAttempt}, {"", true, A::ExitAttempt}, {"SC", true, A::ExitAttempt},
        {"OE", true, A::None},        {"OE KP", true, A::None},   {"MP", true, A::None},
        {"MM MP", true, A::None},     {"KP", false, A::None},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "flags \"" << r.flags << "\" visible " << r.visible);
        const InputDecision d = DecideCloseRequest(With(r.flags), r.visible);
        EXPECT_EQ(d.action, r.action);
        EXPECT_TRUE(d.handled);  // the window never closes by itself
    }
}

}  // namespace
}  // namespace saver
