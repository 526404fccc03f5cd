// PcmDecoder: uncompressed samples (SWF formats 0 and 3). 8-bit samples are unsigned (128 is
// silence) and are widened to 16 bits; 16-bit samples are little-endian in both formats, since
// "native" meant the little-endian machines the files were made on. A trailing partial sample
// is dropped.
#pragma once

#include "swf/audio/SoundDecoder.h"

namespace saver::swf {

class PcmDecoder : public SoundDecoder {
  public:
    explicit PcmDecoder(const SoundFormat& format) : format_(format) {}
    void decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) override;

  private:
    SoundFormat format_;
};

}  // namespace saver::swf
