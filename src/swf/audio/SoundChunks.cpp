#include "swf/audio/SoundChunks.h"

#include <algorithm>

#include "swf/audio/SoundDecoder.h"

namespace saver::swf {

std::span<const std::uint8_t> StreamBlockPayload(const SoundFormat& format,
                                                 std::span<const std::uint8_t> block) {
    if (format.codec != SoundCodec::Mp3) return block;
    return block.size() > 4 ? block.subspan(4) : std::span<const std::uint8_t>{};
}

std::shared_ptr<const PcmBuffer> DecodeDefinedSound(const DefinedSound& sound) {
    auto pcm = std::make_shared<PcmBuffer>();
    pcm->rate = sound.format.sampleRate();
    const auto decoder = MakeSoundDecoder(sound.format);
    if (!decoder) return pcm;
    std::span<const std::uint8_t> data(sound.data);
    std::size_t skip = 0;
    if (sound.format.codec == SoundCodec::Mp3) {
        if (data.size() < 2) return pcm;
        skip = static_cast<std::size_t>(
            std::max(0, static_cast<int>(static_cast<std::int16_t>(data[0] | data[1] << 8))));
        data = data.subspan(2);
    }
    decoder->decode(data, *pcm);
    auto& s = pcm->samples;
    s.erase(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(std::min(skip * 2, s.size())));
    if (sound.sampleCount > 0 && pcm->frames() > sound.sampleCount)
        s.resize(std::size_t{sound.sampleCount} * 2);
    return pcm;
}

}  // namespace saver::swf
