// PlayerInput: one mouse or key event handed to the movie player, and the rule that decides
// which messages of the show become one.
//
// ForwardedInput is a pure function, applied after the exit rules (DecideInput) have judged
// the message: with "Exit only when press ESC key" the mouse moves freely over the movie, so
// mouse moves, clicks, the wheel and keys other than the one that ends the show go to the
// player; with any other setting, and for a message the exit rules act on or mark handled,
// nothing does. Positions are screen pixels (MSG::pt); the player maps them into its view.
#pragma once

#include <cstdint>
#include <optional>

#include "payload/SaverSetting.h"
#include "player/InputRules.h"

namespace saver {

struct PlayerInput {
    enum class Kind : std::uint8_t { MouseMove, MouseDown, MouseUp, MouseWheel, KeyDown, KeyUp };
    Kind kind = Kind::MouseMove;
    int x = 0, y = 0;    // screen pixels (every kind)
    int keyCode = 0;     // Windows virtual key (key kinds)
    int ascii = 0;       // the character the key gives without modifiers, 0 when none
    int wheelDelta = 0;  // lines, positive away from the user

    bool operator==(const PlayerInput&) const = default;
};

namespace msg {
inline constexpr std::uint32_t KeyUp = 0x0101;       // WM_KEYUP
inline constexpr std::uint32_t LButtonUp = 0x0202;   // WM_LBUTTONUP
inline constexpr std::uint32_t MouseWheel = 0x020A;  // WM_MOUSEWHEEL
}  // namespace msg

std::optional<PlayerInput> ForwardedInput(const SaverSetting& setting, std::uint32_t message,
                                          std::uint64_t wParam, int screenX, int screenY,
                                          const InputDecision& exitDecision, bool windowVisible);

// The character of a virtual key as Key.getAscii reports it for an unshifted key; 0 for keys
// that give none.
int AsciiOfKey(int keyCode);

}  // namespace saver
