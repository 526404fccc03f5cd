// The exit conditions are read at every message rather than cached, so the rules stay one
// plain table that the tests walk row by row.
#include "player/InputRules.h"

namespace saver {
namespace {

bool NoExitSettingOn(const SaverSetting& s) {
    return !s.MouseMove && !s.MousePress && !s.KeyboardPress && !s.OnlyEscKeyExit;
}

InputDecision DecideKey(const SaverSetting& s, std::uint64_t key) {
    // Key messages are never marked handled: the key still reaches its window.
    if (s.OnlyEscKeyExit)
        return {key == msg::KeyEscape ? InputAction::ExitAttempt : InputAction::None};
    // With a visible cursor the mouse is the user's to use, so any key is the way out; and a
    // saver with every exit setting off must still be leavable.
    if (s.ShowCursor || s.KeyboardPress || NoExitSettingOn(s)) return {InputAction::ExitAttempt};
    return {};
}

bool MouseCounts(const SaverSetting& s) {
    return !s.ShowCursor && !s.OnlyEscKeyExit;
}

}  // namespace

InputDecision DecideInput(const SaverSetting& s, std::uint32_t message, std::uint64_t wParam,
                          int mouseMoveBudget, bool windowVisible) {
    if (!windowVisible) return {};
    switch (message) {
        case msg::KeyDown:
            return DecideKey(s, wParam);
        case msg::SysKeyDown: {
            InputDecision d = DecideKey(s, wParam);
            d.handled = wParam == msg::KeyF4;
            return d;
        }
        case msg::MouseMove:
            if (!MouseCounts(s) || !s.MouseMove) return {};
            return {mouseMoveBudget > 0 ? InputAction::SpendMouseMove : InputAction::ExitAttempt};
        case msg::LButtonDown:
        case msg::RButtonDown:
            if (!MouseCounts(s) || !s.MousePress) return {};
            return {InputAction::ExitAttempt, true};
        case msg::SysCommand:
            // Windows would start the screensaver again on top of this one.
            if ((wParam & 0xFFF0) == msg::ScScreenSave) return {InputAction::None, true};
            return {};
        default:
            return {};
    }
}

InputDecision DecideCloseRequest(const SaverSetting& s, bool windowVisible) {
    // A hidden show is closing already, or showing the "no player" box; it closes by itself.
    if (!windowVisible) return {InputAction::None, true};
    return {DecideKey(s, 0).action, true};
}

}  // namespace saver
