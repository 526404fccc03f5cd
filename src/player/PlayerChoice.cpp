#include "player/PlayerChoice.h"

namespace saver {

PlayerKind ChoosePlayer(bool controlRegistered, std::optional<FileVersion> version) {
    if (!controlRegistered) return PlayerKind::Builtin;
    if (version && *version >= kFirstBlockingControl) return PlayerKind::Builtin;
    return PlayerKind::ActiveX;
}

FileVersion FileVersionOf(std::uint32_t mostSignificant, std::uint32_t leastSignificant) {
    return {static_cast<std::uint16_t>(mostSignificant >> 16),
            static_cast<std::uint16_t>(mostSignificant & 0xFFFF),
            static_cast<std::uint16_t>(leastSignificant >> 16),
            static_cast<std::uint16_t>(leastSignificant & 0xFFFF)};
}

}  // namespace saver
