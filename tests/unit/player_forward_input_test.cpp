// Which input of the show reaches the movie: only with OnlyEscKeyExit, and only what the exit
// rules leave alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestDrive.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"
#include "player/FlashPlayback.h"
#include "player/PlayerInput.h"
#include "player_fakes.h"

namespace saver {
namespace {

TEST(ForwardedInputTest, OnlyWhatTheExitRulesLeaveWithOnlyEscKeyExit) {
    constexpr std::uint32_t kRButtonDown = 0x0204;
    const struct {
        bool onlyEsc;
        bool showCursor;
        std::uint32_t message;
        std::uint64_t wParam;
        const char* forwarded;  // the fake player's log line, "" for none
        int closeRequests;
    } rows[] = {
        {true, false, msg::MouseMove, 0, "input 0 640,360 key 0", 0},
        {true, false, msg::LButtonDown, 1, "input 1 640,360 key 0", 0},
        {true, false, msg::LButtonUp, 0, "input 2 640,360 key 0", 0},
        {true, false, msg::MouseWheel, 0xFF880000, "input 3 640,360 key 0", 0},  // one notch back
        {true, false, msg::KeyDown, 'A', "input 4 640,360 key 65", 0},
        {true, false, msg::KeyUp, 'A', "input 5 640,360 key 65", 0},
        {true, false, msg::KeyDown, msg::KeyEscape, "",
         1},                                    // Esc ends the show, the movie never sees it
        {true, false, kRButtonDown, 0, "", 0},  // not a button the movie takes
        {true, false, msg::SysCommand, msg::ScScreenSave, "", 0},
        {false, false, msg::MouseMove, 0, "", 0},  // without OnlyEscKeyExit the movie gets nothing
        {false, true, msg::LButtonDown, 1, "", 0},
        {false, true, msg::KeyDown, 'A', "", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "message " << row.message << " onlyEsc " << row.onlyEsc);
        saver::testing::TestDrive drive;
        FakeServices sys;
        Runtime rt{drive.fs, sys};
        rt.ProgramFolder = "C:\\P\\";
        rt.Setting.MouseMove = rt.Setting.MousePress = rt.Setting.KeyboardPress = false;
        rt.Setting.OnlyEscKeyExit = row.onlyEsc;
        rt.Setting.ShowCursor = row.showCursor;
        drive.put("C:\\P\\a.swf", "FWS");
        rt.Setting.FlashList.push_back("C:\\P\\a.swf");
        saver::testing::FakeWindow window;
        FlashPlayback playback{rt, window};
        playback.formShow();
        playback.timer1Tick();
        playback.onMessage(row.message, row.wParam, true, 640, 360);
        const auto input = std::find_if(window.log.begin(), window.log.end(),
                                        [](const auto& l) { return l.rfind("input ", 0) == 0; });
        EXPECT_EQ(input == window.log.end() ? "" : *input, row.forwarded);
        EXPECT_EQ(window.closeRequests, row.closeRequests);
    }
}

TEST(ForwardedInputTest, HiddenShowForwardsNothing) {
    SaverSetting s;
    s.OnlyEscKeyExit = true;
    EXPECT_FALSE(ForwardedInput(s, msg::MouseMove, 0, 1, 1, {}, false));
    EXPECT_TRUE(ForwardedInput(s, msg::MouseMove, 0, 1, 1, {}, true));
}

}  // namespace
}  // namespace saver
