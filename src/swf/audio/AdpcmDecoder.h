// AdpcmDecoder: the SWF flavour of IMA ADPCM (format 1), 2 to 5 bits per code, as the SWF file
// format specification describes it. A chunk starts with the 2-bit code size; then come
// packets of up to 4096 samples per channel, each opening with a 16-bit sample and a 6-bit
// step index per channel, followed by the codes of both channels in turn. The last packet
// of a chunk is as long as its bits allow. Every chunk (a DefineSound body or a stream block)
// is complete in itself.
#pragma once

#include "swf/audio/SoundDecoder.h"

namespace saver::swf {

class AdpcmDecoder : public SoundDecoder {
  public:
    explicit AdpcmDecoder(const SoundFormat& format) : format_(format) {}
    void decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) override;

  private:
    SoundFormat format_;
};

}  // namespace saver::swf
