// WavWriter: the host's sound sink, a 44.1 kHz 16-bit stereo RIFF/WAVE file. The header's
// sizes are written when the file is finished (or destroyed).
//
// Failure: open() and finish() return false when the file cannot be written; write() after a
// failure does nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace saver::swf {

class WavWriter {
  public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path);
    // `frames` stereo frames, interleaved.
    void write(const std::int16_t* samples, std::size_t frames);
    bool finish();
    std::uint64_t framesWritten() const { return frames_; }

  private:
    std::FILE* file_ = nullptr;
    std::uint64_t frames_ = 0;
    bool ok_ = false;
};

}  // namespace saver::swf
