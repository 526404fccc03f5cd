// MovieModel: the scripted playback of the test control. A loaded movie advances one frame
// per frame period of its SWF header from the moment it is loaded, as the real control would:
//   - normally it loops: after the last frame comes frame 0 again;
//   - a location whose name contains "stall" stops advancing at frame 2 (or its last frame);
//   - one whose name contains "overrun" goes on to report frame TotalFrames after its last;
//   - a location that cannot be read as an SWF file (missing, not SWF, or an address with
//     "://") reports frame -1 and 0 frames, as a control still loading would.
// Rewind goes to frame 0 and stops; Play continues from the current frame. Times are in
// milliseconds from any fixed origin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "SwfHeader.h"

namespace testcontrol {

class MovieModel {
  public:
    // header: the parsed file, nullopt when it could not be read.
    void load(const std::string& location, std::optional<SwfHeader> header, std::uint64_t now);
    void rewind(std::uint64_t now);
    void play(std::uint64_t now);

    std::int32_t frameNum(std::uint64_t now) const;
    std::int32_t totalFrames() const { return header_ ? header_->frameCount : 0; }

  private:
    enum class Kind { Loop, Stall, Overrun };
    std::uint64_t position(std::uint64_t now) const;  // frames played since frame 0

    std::optional<SwfHeader> header_;
    Kind kind_ = Kind::Loop;
    std::uint64_t base_ = 0;      // position when playing last started or stopped
    std::uint64_t baseTime_ = 0;  // time of that moment
    bool playing_ = false;
};

}  // namespace testcontrol
