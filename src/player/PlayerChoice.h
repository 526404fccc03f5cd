// PlayerChoice: which player plays the movies. The Flash ActiveX control is used when it is
// installed and still plays content; from version 32.0.0.371 on the control refuses to play
// anything, and then (or when none is installed) the built-in player plays.
//
// A registered control whose file carries no version resource counts as one that plays: every
// released control has a version, so a control without one was put under that class id on
// purpose. Should it then fail to start, the full-screen window falls back to the built-in
// player all the same.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace saver {

struct FileVersion {
    std::uint16_t major = 0, minor = 0, build = 0, revision = 0;
    auto operator<=>(const FileVersion&) const = default;
};

// The first version of the control that no longer plays content.
inline constexpr FileVersion kFirstBlockingControl{32, 0, 0, 371};

enum class PlayerKind { ActiveX, Builtin };

// `version`: the file version of the control's server, nullopt when it has none (or the file
// cannot be read).
PlayerKind ChoosePlayer(bool controlRegistered, std::optional<FileVersion> version);

// A version from the two 32-bit halves of a VS_FIXEDFILEINFO file version.
FileVersion FileVersionOf(std::uint32_t mostSignificant, std::uint32_t leastSignificant);

}  // namespace saver
