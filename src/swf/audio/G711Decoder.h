// G711Decoder: ITU-T G.711 A-law (SWF format 7) and mu-law (format 8), one byte per sample,
// mono, at the rate the format bits give (the rate the sound was timed by in its tag).
#pragma once

#include "swf/audio/SoundDecoder.h"

namespace saver::swf {

class G711Decoder : public SoundDecoder {
  public:
    G711Decoder(bool aLaw, double rate) : aLaw_(aLaw), rate_(rate) {}
    void decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) override;

    static std::int16_t expandALaw(std::uint8_t code);
    static std::int16_t expandMuLaw(std::uint8_t code);

  private:
    bool aLaw_;
    double rate_;
};

}  // namespace saver::swf
