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
InputDecision DecideInput(const SaverSetting& setting, std::uint32_t message, std::uint64_t wParam,
                          int mouseMoveBudget, bool windowVisible);

}  // namespace saver
