// SoundChunks: from the SWF framing of sound data to what a decoder takes, and the decoding of
// a whole DefineSound.
//
// MP3 data carries a header of its own: a DefineSound body starts with SeekSamples (SI16, the
// encoder and decoder delay to drop at the start), a SoundStreamBlock with SampleCount (UI16)
// and SeekSamples (SI16). Other codecs have none.
#pragma once

#include <memory>
#include <span>

#include "swf/audio/PcmBuffer.h"
#include "swf/format/SoundRecords.h"

namespace saver::swf {

// The codec data of a stream block (MP3: after its 4-byte header; empty when shorter).
std::span<const std::uint8_t> StreamBlockPayload(const SoundFormat& format,
                                                 std::span<const std::uint8_t> block);

// The whole sound decoded: MP3 seek samples dropped, cut to the declared sample count when the
// data holds more (an ADPCM packet's padding bits). A codec without a decoder, or data that
// decodes to nothing, gives an empty buffer at the format's rate.
std::shared_ptr<const PcmBuffer> DecodeDefinedSound(const DefinedSound& sound);

}  // namespace saver::swf
