// WaveOutVolume: mutes wave-out device 0 while the screensaver shows, and sets the volume it
// found back afterwards.
//
// mute() reads the volume of device 0 and sets it to 0; restore() sets the kept volume back
// once. A machine without a sound device fails both calls: mute() then changes nothing and
// restore() does nothing, silently. Neither throws.
#pragma once

#include <cstdint>

namespace saver {

class WaveOutVolume {
  public:
    void mute();
    void restore();

  private:
    bool kept_ = false;
    std::uint32_t volume_ = 0;
};

}  // namespace saver
