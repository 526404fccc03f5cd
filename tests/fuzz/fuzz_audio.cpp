// libFuzzer target: the sound decoders, whole and in stream blocks, and the voices that play
// them. Input: a SoundFormat byte (codec, rate, size, channels as in DefineSound), a block
// length byte, two bytes of SOUNDINFO in/out points, then the sound data. Crashes, sanitizer
// reports, hangs and runaway memory are findings.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/audio/EventVoice.h"
#include "swf/audio/SoundChunks.h"
#include "swf/audio/StreamVoice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace saver::swf;
    if (size < 4) return 0;
    SoundFormat format;
    format.codec = static_cast<SoundCodec>(data[0] >> 4);
    format.rateCode = (data[0] >> 2) & 3;
    format.is16Bit = (data[0] & 2) != 0;
    format.stereo = (data[0] & 1) != 0;
    const std::size_t blockLength = std::size_t{data[1]} * 8 + 1;
    SoundInfo info;
    info.inPoint = data[2] * 64u;
    info.outPoint = data[3] * 256u;
    info.loopCount = 2;
    info.envelope = {{0, 0, 32768}, {1000, 32768, 0}};
    const std::span<const std::uint8_t> body(data + 4, size - 4);

    std::vector<std::int32_t> acc(2 * 1024);
    const DefinedSound sound{1, format, static_cast<std::uint32_t>(size) * 4,
                             std::vector<std::uint8_t>(body.begin(), body.end())};
    EventVoice event(1, DecodeDefinedSound(sound), info, Interpolation::Linear);
    for (int i = 0; i < 64 && event.mix(acc.data(), 1024); ++i) {
    }

    SoundStreamHead head;
    head.stream = format;
    head.samplesPerBlock = 100;
    head.latencySeek = 10;
    StreamVoice stream(head, Interpolation::Hold);
    for (std::size_t at = 0; at < body.size(); at += blockLength) {
        stream.feed(body.subspan(at, std::min(blockLength, body.size() - at)));
        stream.mix(acc.data(), 1024);
    }
    stream.close();
    for (int i = 0; i < 64 && stream.mix(acc.data(), 1024); ++i) {
    }
    return 0;
}
