// The decoded form of a button character (DefineButton, DefineButton2), with what the tags
// DefineButtonCxform and DefineButtonSound add to it. Plain data: the player draws the records
// of the up state; actions, condition flags and sounds are kept for the scripting and sound
// work and not interpreted here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "swf/format/SwfTypes.h"

namespace saver::swf {

// The states a button record is shown in (the flag bits of BUTTONRECORD).
enum ButtonStateFlag : std::uint8_t {
    kButtonUp = 0x01,
    kButtonOver = 0x02,
    kButtonDown = 0x04,
    kButtonHitTest = 0x08,
};

struct ButtonRecord {
    std::uint8_t states = 0;  // ButtonStateFlag bits
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    // DefineButton2's own transform, or the one a DefineButtonCxform gives this record.
    ColorTransform colorTransform;
    std::vector<std::uint8_t> filters;      // DefineButton2 (SWF 8): the FILTERLIST, undecoded
    std::optional<std::uint8_t> blendMode;  // DefineButton2 (SWF 8)
};

// Actions run when one of the transitions in `conditions` happens (BUTTONCONDACTION flags, the
// key code in bits 9-15). DefineButton's single action list has OverDownToOverUp (0x0008).
struct ButtonAction {
    std::uint16_t conditions = 0;
    std::vector<std::uint8_t> bytes;  // action records, undecoded
};

// A DefineButtonSound entry: the sound character and its SOUNDINFO record, undecoded.
struct ButtonSound {
    std::uint16_t soundId = 0;
    std::vector<std::uint8_t> soundInfo;
};

struct Button {
    std::uint16_t id = 0;
    std::uint8_t version = 1;  // DefineButton 1, DefineButton2 2
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;  // file order
    std::vector<ButtonAction> actions;  // file order
    // DefineButtonSound, in its order: OverUpToIdle, IdleToOverUp, OverUpToOverDown,
    // OverDownToOverUp; empty where the tag names no sound (id 0) or there is no such tag.
    std::array<std::optional<ButtonSound>, 4> sounds;
};

}  // namespace saver::swf
