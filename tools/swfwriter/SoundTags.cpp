#include "SoundTags.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "BitWriter.h"

namespace saver::swfwriter {

namespace {
std::uint8_t FormatBits(const StreamFormat& f) {
    if (f.rateCode > 3) throw std::invalid_argument("sound rate code above 3");
    return static_cast<std::uint8_t>(f.rateCode << 2 | 1 << 1 | (f.stereo ? 1 : 0));
}
}  // namespace

void AppendStreamHead(Timeline& timeline, const StreamFormat& format) {
    BitWriter w;
    w.WriteU8(FormatBits(format));  // playback format: the same as the stream's
    w.WriteU8(static_cast<std::uint8_t>(3 << 4 | FormatBits(format)));
    w.WriteU16(format.samplesPerBlock);
    timeline.AppendTag(TagCode::SoundStreamHead2, w.Bytes());
}

void AppendStreamBlock(Timeline& timeline, const StreamFormat& format,
                       std::span<const std::int16_t> samples) {
    if (format.stereo && samples.size() % 2 != 0)
        throw std::invalid_argument("stereo block with an odd sample count");
    BitWriter w;
    for (std::int16_t s : samples) w.WriteU16(static_cast<std::uint16_t>(s));
    timeline.AppendTag(TagCode::SoundStreamBlock, w.Bytes());
}

void AppendStartSound(Timeline& timeline, std::uint16_t soundId, std::uint16_t loops, bool stop) {
    BitWriter w;
    w.WriteU16(soundId);
    // SOUNDINFO flags: sync stop (bit 5), has loops (bit 2).
    w.WriteU8(static_cast<std::uint8_t>((stop ? 1 << 5 : 0) | (loops > 1 ? 1 << 2 : 0)));
    if (loops > 1) w.WriteU16(loops);
    timeline.AppendTag(TagCode::StartSound, w.Bytes());
}

void AppendExport(Timeline& timeline, std::uint16_t id, std::string_view name) {
    if (name.find('\0') != std::string_view::npos)
        throw std::invalid_argument("linkage name with a zero byte");
    BitWriter w;
    w.WriteU16(1);
    w.WriteU16(id);
    w.WriteString(name);
    timeline.AppendTag(TagCode::ExportAssets, w.Bytes());
}

std::vector<std::int16_t> Sine(double hz, std::size_t from, std::size_t count, double rate,
                               double amplitude) {
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(from + i) / rate)));
    return out;
}

}  // namespace saver::swfwriter
