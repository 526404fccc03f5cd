// SoundDecoder: turns the encoded sample data of one sound or one sound stream into PCM.
//
// A decoder is made for one SoundFormat and keeps what a codec carries from one chunk to the
// next (the MP3 bit reservoir); a DefineSound body is one chunk, a stream is one chunk per
// SoundStreamBlock. Chunks come without their SWF framing: the caller strips the MP3
// SampleCount / SeekSamples fields (see SoundChunks.h).
//
// Supported: uncompressed (native and little-endian, 8/16-bit), ADPCM 2-5 bits, MP3 (MPEG 1,
// 2 and 2.5 layer III through libmpg123), G.711 A-law and mu-law. Nellymoser, Speex and AAC
// have no decoder: MakeSoundDecoder returns nullptr and the sound stays silent.
//
// Failure: never throws for bad data. A damaged chunk decodes to what could be read (possibly
// nothing); a decoder never emits more than kMaxChunkFrames frames for one chunk.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "swf/audio/PcmBuffer.h"
#include "swf/format/SoundRecords.h"

namespace saver::swf {

// Far more than a real chunk holds (a whole DefineSound of ten minutes at 44.1 kHz is 26.5
// million frames); a cap against decompression bombs, not a limit on music.
inline constexpr std::size_t kMaxChunkFrames = std::size_t{1} << 25;

class SoundDecoder {
  public:
    virtual ~SoundDecoder() = default;
    // Appends the frames of `chunk` to `out`; out.rate is set to the decoded rate.
    virtual void decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) = 0;
};

// A decoder for `format`, or nullptr for a codec without one.
std::unique_ptr<SoundDecoder> MakeSoundDecoder(const SoundFormat& format);

}  // namespace saver::swf
