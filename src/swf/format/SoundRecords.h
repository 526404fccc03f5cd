// The sound records of an SWF movie as the reader keeps them: DefineSound characters, the
// StartSound / StartSound2 commands of a frame (with their SOUNDINFO), and a timeline's stream
// sound (SoundStreamHead / SoundStreamHead2 and the SoundStreamBlock of each frame). Plain
// data: the sample data stays encoded; the audio layer decodes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace saver::swf {

// SoundFormat codes of the SWF file format specification.
enum class SoundCodec : std::uint8_t {
    PcmNative = 0,  // uncompressed, the byte order of the authoring machine (little-endian)
    Adpcm = 1,
    Mp3 = 2,
    PcmLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    G711ALaw = 7,
    G711MuLaw = 8,
    Aac = 10,
    Speex = 11,
};

// The shape of encoded sample data: codec, nominal rate, sample size and channels.
struct SoundFormat {
    SoundCodec codec = SoundCodec::PcmNative;
    std::uint8_t rateCode = 0;  // 0..3: 5.5, 11, 22 or 44 kHz
    bool is16Bit = true;
    bool stereo = false;

    // Samples per second per channel: 44100 / 8, / 4, / 2 or / 1. (MP3 data carries its own
    // rate, which the decoder reports.)
    double sampleRate() const { return 44100.0 / (1 << (3 - (rateCode & 3))); }
    int channels() const { return stereo ? 2 : 1; }
};

// SOUNDINFO: how one StartSound plays its sound. In and out points and envelope positions
// count samples at 44.1 kHz from the start of the sound.
struct SoundEnvelopePoint {
    std::uint32_t position44 = 0;
    std::uint16_t leftLevel = 32768;  // 0..32768
    std::uint16_t rightLevel = 32768;
};

struct SoundInfo {
    bool syncStop = false;        // stop the sound's playing instances; start nothing
    bool syncNoMultiple = false;  // do not start it while an instance plays
    std::optional<std::uint32_t> inPoint, outPoint;
    std::uint16_t loopCount = 1;  // times played; 0 in the file counts as 1
    std::vector<SoundEnvelopePoint> envelope;
};

struct DefinedSound {
    std::uint16_t id = 0;
    SoundFormat format;
    std::uint32_t sampleCount = 0;   // samples per channel the tag declares
    std::vector<std::uint8_t> data;  // SoundData as stored (MP3: SeekSamples, then frames)
};

// StartSound (soundId) or StartSound2 (className, id 0).
struct StartSound {
    std::uint16_t soundId = 0;
    std::string className;
    SoundInfo info;
};

struct SoundStreamHead {
    SoundFormat playback;               // the mixer format the file suggests (informational)
    SoundFormat stream;                 // the format of the blocks
    std::uint16_t samplesPerBlock = 0;  // average samples per channel in one frame's block
    std::int16_t latencySeek = 0;       // MP3 only: samples to drop at the start
};

// One frame's SoundStreamBlock, as stored (MP3: SampleCount, SeekSamples, then frames).
struct SoundStreamBlock {
    std::vector<std::uint8_t> data;
};

}  // namespace saver::swf
