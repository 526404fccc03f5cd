// The device signals the event whenever it finishes a buffer; the thread then refills every
// buffer marked done and queues it again. Stopping resets the device first (which hands every
// buffer back at once) only after the thread has stopped refilling, so no pull runs late.
#include "platform/WaveOutAudio_win.h"

namespace saver {

bool WaveOutAudio::start(Pull pull) {
    stop();
    event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event_) return false;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        device_ = nullptr;
        CloseHandle(event_);
        event_ = nullptr;
        return false;
    }
    pull_ = std::move(pull);
    for (std::size_t i = 0; i < kBuffers; ++i) {
        samples_[i].assign(2 * kFramesPerBuffer, 0);
        headers_[i] = WAVEHDR{};
        headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
        headers_[i].dwBufferLength = static_cast<DWORD>(samples_[i].size() * sizeof(std::int16_t));
        waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
        refill(headers_[i], samples_[i]);
    }
    running_ = true;
    thread_ = CreateThread(nullptr, 0, &WaveOutAudio::threadMain, this, 0, nullptr);
    if (!thread_) {
        stop();
        return false;
    }
    return true;
}

void WaveOutAudio::refill(WAVEHDR& header, std::vector<std::int16_t>& samples) {
    pull_(samples.data(), kFramesPerBuffer);
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    waveOutWrite(device_, &header, sizeof(WAVEHDR));
}

DWORD WINAPI WaveOutAudio::threadMain(LPVOID self) {
    static_cast<WaveOutAudio*>(self)->run();
    return 0;
}

void WaveOutAudio::run() {
    while (running_) {
        WaitForSingleObject(event_, 100);
        for (std::size_t i = 0; i < kBuffers && running_; ++i)
            if (headers_[i].dwFlags & WHDR_DONE) refill(headers_[i], samples_[i]);
    }
}

void WaveOutAudio::stop() {
    if (!device_) return;
    running_ = false;
    SetEvent(event_);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    waveOutReset(device_);
    for (WAVEHDR& header : headers_) waveOutUnprepareHeader(device_, &header, sizeof(WAVEHDR));
    waveOutClose(device_);
    CloseHandle(event_);
    device_ = nullptr;
    event_ = nullptr;
    pull_ = nullptr;
}

std::unique_ptr<AudioOutput> MakeAudioOutput() {
    return std::make_unique<WaveOutAudio>();
}

}  // namespace saver
