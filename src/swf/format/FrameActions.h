// FrameActions: the timeline actions of a DoAction tag that the player core runs: stop, play,
// nextFrame, prevFrame, gotoFrame and gotoLabel. Every other action is skipped.
//
// The action record layout is the SWF file format's: one code byte; codes 0x80 and above are
// followed by a 16-bit little-endian length and that many bytes of payload; code 0 ends the
// list.
//
// Branches are not followed: decoding ends at the first If or Jump, so a script that chooses
// between two gotos runs neither instead of both. Straight-line frame scripts (the usual
// "stop();" or "gotoAndPlay(1);") are decoded whole.
//
// Failure: none. Decoding stops at the end code, at the end of the bytes, or at a record whose
// length runs past the end; a gotoFrame or gotoLabel with a payload too short for its
// argument is skipped.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace saver::swf {

struct FrameAction {
    enum class Kind : std::uint8_t { Stop, Play, NextFrame, PrevFrame, GotoFrame, GotoLabel };
    Kind kind = Kind::Stop;
    int frame = 0;      // GotoFrame: the target frame, counted from 0
    std::string label;  // GotoLabel
    bool operator==(const FrameAction&) const = default;
};

std::vector<FrameAction> DecodeFrameActions(std::span<const std::uint8_t> bytes);

}  // namespace saver::swf
