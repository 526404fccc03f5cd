#include "MovieModel.h"

#include <algorithm>

namespace testcontrol {

void MovieModel::load(const std::string& location, std::optional<SwfHeader> header,
                      std::uint64_t now) {
    header_ = location.find("://") == std::string::npos ? header : std::nullopt;
    std::string name = location.substr(location.find_last_of("\\/") + 1);
    kind_ = name.find("stall") != std::string::npos     ? Kind::Stall
            : name.find("overrun") != std::string::npos ? Kind::Overrun
                                                        : Kind::Loop;
    base_ = 0;
    baseTime_ = now;
    playing_ = true;
}

std::uint64_t MovieModel::position(std::uint64_t now) const {
    if (!playing_ || !header_ || now < baseTime_) return base_;
    // frame rate is 8.8 fixed point: frames = ms x rate / (256 x 1000)
    return base_ + (now - baseTime_) * header_->frameRate88 / 256000;
}

void MovieModel::rewind(std::uint64_t now) {
    base_ = 0;
    baseTime_ = now;
    playing_ = false;
}

void MovieModel::play(std::uint64_t now) {
    if (playing_) return;
    base_ = position(now);
    baseTime_ = now;
    playing_ = true;
}

std::int32_t MovieModel::frameNum(std::uint64_t now) const {
    if (!header_) return -1;
    std::uint64_t count = header_->frameCount;
    if (count == 0) return 0;
    std::uint64_t at = position(now);
    switch (kind_) {
        case Kind::Stall:
            return static_cast<std::int32_t>(std::min<std::uint64_t>({at, 2, count - 1}));
        case Kind::Overrun:
            return static_cast<std::int32_t>(std::min(at, count));
        case Kind::Loop:
            break;
    }
    return static_cast<std::int32_t>(at % count);
}

}  // namespace testcontrol
