// The show's exit rules come first: a message they turn into an exit attempt, or swallow, is
// the show's and never the movie's. What is left reaches the movie only when the settings let
// the mouse roam (OnlyEscKeyExit); otherwise the first move or click would end the show anyway.
#include "player/PlayerInput.h"

namespace saver {

std::optional<PlayerInput> ForwardedInput(const SaverSetting& setting, std::uint32_t message,
                                          std::uint64_t wParam, int screenX, int screenY,
                                          const InputDecision& exitDecision, bool windowVisible) {
    if (!windowVisible || !setting.OnlyEscKeyExit) return std::nullopt;
    if (exitDecision.action != InputAction::None || exitDecision.handled) return std::nullopt;
    using Kind = PlayerInput::Kind;
    PlayerInput in;
    in.x = screenX;
    in.y = screenY;
    switch (message) {
        case msg::MouseMove:
            in.kind = Kind::MouseMove;
            break;
        case msg::LButtonDown:
            in.kind = Kind::MouseDown;
            break;
        case msg::LButtonUp:
            in.kind = Kind::MouseUp;
            break;
        case msg::MouseWheel:
            in.kind = Kind::MouseWheel;
            // The high word of wParam: a signed multiple of 120 per notch (WHEEL_DELTA).
            in.wheelDelta = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF) / 40;
            break;
        case msg::KeyDown:
        case msg::KeyUp:
            in.kind = message == msg::KeyDown ? Kind::KeyDown : Kind::KeyUp;
            in.keyCode = static_cast<int>(wParam & 0xFF);
            in.ascii = AsciiOfKey(in.keyCode);
            break;
        default:
            return std::nullopt;
    }
    return in;
}

int AsciiOfKey(int keyCode) {
    if (keyCode >= 'A' && keyCode <= 'Z') return keyCode - 'A' + 'a';
    if (keyCode >= '0' && keyCode <= '9') return keyCode;
    if (keyCode >= 0x60 && keyCode <= 0x69) return keyCode - 0x60 + '0';  // the number pad
    switch (keyCode) {
        case 8:   // backspace
        case 9:   // tab
        case 13:  // enter
        case 27:  // escape
        case 32:  // space
            return keyCode;
        case 46:  // delete
            return 127;
        default:
            return 0;
    }
}

}  // namespace saver
