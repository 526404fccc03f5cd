// Field layouts follow the SWF file format specification (DefineSound, SOUNDINFO,
// SoundStreamHead). The format byte packs codec, rate code, sample size and channel count.
#include "swf/format/SoundTagReader.h"

#include <algorithm>

namespace saver::swf {

namespace {

// Rate code (2 bits), 16-bit flag, stereo flag.
SoundFormat readShapeBits(SwfBitReader& body, SoundFormat format) {
    format.rateCode = static_cast<std::uint8_t>(body.ub(2));
    format.is16Bit = body.flag();
    format.stereo = body.flag();
    return format;
}

// Codec (4 bits), then the shape bits.
SoundFormat readFormatBits(SwfBitReader& body) {
    SoundFormat format;
    format.codec = static_cast<SoundCodec>(body.ub(4));
    return readShapeBits(body, format);
}

// The rest of the tag, copied.
std::vector<std::uint8_t> readData(SwfBitReader& body) {
    const auto bytes = body.bytes(body.remaining());
    return {bytes.begin(), bytes.end()};
}

}  // namespace

namespace SoundTagReader {

DefinedSound readDefineSound(SwfBitReader& body) {
    DefinedSound sound;
    sound.id = body.u16();
    sound.format = readFormatBits(body);
    sound.sampleCount = body.u32();
    sound.data = readData(body);
    return sound;
}

SoundInfo readSoundInfo(SwfBitReader& body) {
    SoundInfo info;
    body.ub(2);  // reserved
    info.syncStop = body.flag();
    info.syncNoMultiple = body.flag();
    const bool hasEnvelope = body.flag();
    const bool hasLoops = body.flag();
    const bool hasOutPoint = body.flag();
    const bool hasInPoint = body.flag();
    if (hasInPoint) info.inPoint = body.u32();
    if (hasOutPoint) info.outPoint = body.u32();
    if (hasLoops) info.loopCount = std::max<std::uint16_t>(1, body.u16());
    if (hasEnvelope) {
        const unsigned count = body.u8();
        info.envelope.reserve(count);  // at most 255 points of 8 bytes: no budget needed
        for (unsigned i = 0; i < count; ++i) {
            SoundEnvelopePoint point;
            point.position44 = body.u32();
            point.leftLevel = body.u16();
            point.rightLevel = body.u16();
            info.envelope.push_back(point);
        }
    }
    return info;
}

StartSound readStartSound(SwfBitReader& body, int version) {
    StartSound start;
    if (version == 1)
        start.soundId = body.u16();
    else
        start.className = body.string();
    start.info = readSoundInfo(body);
    return start;
}

SoundStreamHead readStreamHead(SwfBitReader& body) {
    SoundStreamHead head;
    body.ub(4);  // reserved: the playback half has no codec
    head.playback = readShapeBits(body, SoundFormat{});
    head.stream = readFormatBits(body);
    head.samplesPerBlock = body.u16();
    // LatencySeek is there for MP3 only, and some writers leave it out.
    if (head.stream.codec == SoundCodec::Mp3 && body.remaining() >= 2)
        head.latencySeek = static_cast<std::int16_t>(body.u16());
    return head;
}

SoundStreamBlock readStreamBlock(SwfBitReader& body) {
    return SoundStreamBlock{readData(body)};
}

}  // namespace SoundTagReader

}  // namespace saver::swf
