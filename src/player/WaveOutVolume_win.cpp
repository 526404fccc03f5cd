// Device 0 is addressed by passing its id where the API takes a handle, as waveOutGetVolume
// and waveOutSetVolume allow. The volume is only zeroed after it could be read: muting without
// a value to return to would leave the user's machine silent after the show.
#include "player/WaveOutVolume_win.h"

#include <windows.h>
// mmsystem.h needs the Windows types first.
#include <mmsystem.h>

namespace saver {

namespace {
HWAVEOUT deviceZero() {
    return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0));
}
}  // namespace

void WaveOutVolume::mute() {
    DWORD volume = 0;
    if (waveOutGetVolume(deviceZero(), &volume) != MMSYSERR_NOERROR) return;
    volume_ = volume;
    kept_ = true;
    waveOutSetVolume(deviceZero(), 0);
}

void WaveOutVolume::restore() {
    if (!kept_) return;
    kept_ = false;
    waveOutSetVolume(deviceZero(), volume_);
}

}  // namespace saver
