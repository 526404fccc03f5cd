// Mp3Decoder: MPEG audio (SWF format 2) through libmpg123 in feed mode. The decoder lives as
// long as the sound or stream it decodes, so a stream's blocks, whose frames may borrow bits
// from the block before, decode as one continuous stream. Output is always stereo (a mono
// stream is doubled) at the stream's own rate; encoder and decoder delay are left in, for the
// caller removes them by the SWF's own seek samples.
//
// Failure: a decoder that libmpg123 cannot open decodes nothing; damaged frames are skipped
// (the library resynchronises on the next frame header).
#pragma once

#include "swf/audio/SoundDecoder.h"

struct mpg123_handle_struct;

namespace saver::swf {

class Mp3Decoder : public SoundDecoder {
  public:
    Mp3Decoder();
    ~Mp3Decoder() override;
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    void decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) override;

  private:
    mpg123_handle_struct* handle_ = nullptr;
    double rate_ = 44100;
};

}  // namespace saver::swf
