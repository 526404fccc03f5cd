// WaveOutAudio: AudioOutput through the multimedia library's waveOut on the default device
// (WAVE_MAPPER). A thread of its own waits on the device's event and refills each buffer the
// device hands back.
#pragma once

#include <windows.h>
// mmsystem.h needs windows.h first.
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <vector>

#include "platform/AudioOutput.h"

namespace saver {

class WaveOutAudio : public AudioOutput {
  public:
    static constexpr std::size_t kBuffers = 4;
    static constexpr std::size_t kFramesPerBuffer = 1024;  // 23 ms at 44.1 kHz

    WaveOutAudio() = default;
    ~WaveOutAudio() override { stop(); }
    WaveOutAudio(const WaveOutAudio&) = delete;
    WaveOutAudio& operator=(const WaveOutAudio&) = delete;

    bool start(Pull pull) override;
    void stop() override;

  private:
    static DWORD WINAPI threadMain(LPVOID self);
    void run();
    void refill(WAVEHDR& header, std::vector<std::int16_t>& samples);

    HWAVEOUT device_ = nullptr;
    HANDLE event_ = nullptr;
    Pull pull_;
    std::atomic<bool> running_{false};
    HANDLE thread_ = nullptr;  // a Win32 thread: the toolchain's std::thread is not there
    std::array<WAVEHDR, kBuffers> headers_{};
    std::array<std::vector<std::int16_t>, kBuffers> samples_;
};

}  // namespace saver
