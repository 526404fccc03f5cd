// InputRules: which messages of the application's message loop end the screensaver.
//
// DecideInput is a pure function over the settings, one message and the mouse-move budget;
// FlashPlayback::onMessage carries its answer out. The message numbers are the Win32 ones, so
// the Win32 message hook passes MSG::message and MSG::wParam straight through.
#pragma once

#include <cstdint>

#include "payload/SaverSetting.h"

namespace saver {

namespace msg {
inline constexpr std::uint32_t KeyDown = 0x0100;       // WM_KEYDOWN
inline constexpr std::uint32_t SysKeyDown = 0x0104;    // WM_SYSKEYDOWN
inline constexpr std::uint32_t SysCommand = 0x0112;    // WM_SYSCOMMAND
inline constexpr std::uint32_t MouseMove = 0x0200;     // WM_MOUSEMOVE
inline constexpr std::uint32_t LButtonDown = 0x0201;   // WM_LBUTTONDOWN
inline constexpr std::uint32_t RButtonDown = 0x0204;   // WM_RBUTTONDOWN
inline constexpr std::uint64_t ScScreenSave = 0xF140;  // SC_SCREENSAVE
inline constexpr std::uint64_t KeyEscape = 27;         // VK_ESCAPE
inline constexpr std::uint64_t KeyF4 = 0x73;           // VK_F4
}  // namespace msg

// Mouse moves allowed per MouseTimer period (3000 ms) before a move counts as input. It also
// absorbs the move Windows sends when the window appears under the cursor.
inline constexpr int kMouseMoveAllowance = 20;

enum class InputAction {
    None,
    ExitAttempt,     // ask for the password and close when it passes
    SpendMouseMove,  // decrement the mouse-move budget
};

struct InputDecision {
    InputAction action = InputAction::None;
    bool handled = false;  // the message is marked handled: it is not dispatched

    bool operator==(const InputDecision&) const = default;
};

// The decision for one message. windowVisible false: every message is ignored. For key
// messages wParam is the virtual-key code; for WM_SYSCOMMAND the command, whose low four bits
// the system uses internally and which are therefore masked off.
// Alt+F4 (WM_SYSKEYDOWN with VK_F4) is judged as the key it is and then marked handled, so the
// system never turns it into a close of the window behind the exit rules' back.
InputDecision DecideInput(const SaverSetting& setting, std::uint32_t message, std::uint64_t wParam,
                          int mouseMoveBudget, bool windowVisible);

// A request to close the show from outside the input table: WM_CLOSE (another program, the
// task list) or the window menu's SC_CLOSE, on the show or on a cover. It counts as a key
// press other than Esc, so it ends the show only where such a key would (never with
// OnlyEscKeyExit), through the password check; the request itself is always handled, since
// no window of the show closes on its own.
InputDecision DecideCloseRequest(const SaverSetting& setting, bool windowVisible);

}  // namespace saver
