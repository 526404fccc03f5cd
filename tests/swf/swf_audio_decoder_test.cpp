// The decoders: uncompressed layouts, G.711 expansions, MP3 through libmpg123 (a tone encoded
// by lame), and the framing of whole sounds and stream blocks. ADPCM's breadth is in the
// swfdec-sound conformance set.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "swf/audio/G711Decoder.h"
#include "swf/audio/SoundChunks.h"
#include "swf/audio/SoundDecoder.h"

namespace saver::swf {
namespace {

using Bytes = std::vector<std::uint8_t>;

SoundFormat Format(SoundCodec codec, int rateCode, bool is16, bool stereo) {
    return SoundFormat{codec, static_cast<std::uint8_t>(rateCode), is16, stereo};
}

std::vector<std::int16_t> Decode(const SoundFormat& format, const Bytes& data,
                                 double* rate = nullptr) {
    PcmBuffer out;
    MakeSoundDecoder(format)->decode(data, out);
    if (rate) *rate = out.rate;
    return out.samples;
}

TEST(SwfAudioDecoderTest, UncompressedLayouts) {
    const struct {
        SoundFormat format;
        Bytes data;
        std::vector<std::int16_t> samples;  // interleaved stereo
        double rate;
    } cases[] = {
        {Format(SoundCodec::PcmNative, 0, false, false),
         {0x80, 0xFF, 0x00},
         {0, 0, 32512, 32512, -32768, -32768},
         5512.5},
        {Format(SoundCodec::PcmLittleEndian, 1, false, true), {0x80, 0x81, 0x7F}, {0, 256}, 11025},
        {Format(SoundCodec::PcmLittleEndian, 2, true, false),
         {0x34, 0x12, 0xFF},
         {0x1234, 0x1234},
         22050},
        {Format(SoundCodec::PcmNative, 3, true, true),
         {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80},
         {1, -1},
         44100},
    };
    for (const auto& c : cases) {
        double rate = 0;
        EXPECT_EQ(Decode(c.format, c.data, &rate), c.samples);
        EXPECT_DOUBLE_EQ(rate, c.rate);
    }
}

TEST(SwfAudioDecoderTest, G711Expansions) {
    const struct {
        std::uint8_t code;
        std::int16_t aLaw, muLaw;
    } cases[] = {
        {0xD5, 8, 716}, {0x55, -8, -716},    {0xAA, 32256, 5372},   {0x2A, -32256, -5372},
        {0xFF, 848, 0}, {0x80, 5504, 32124}, {0x00, -5504, -32124},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(G711Decoder::expandALaw(c.code), c.aLaw) << int(c.code);
        EXPECT_EQ(G711Decoder::expandMuLaw(c.code), c.muLaw) << int(c.code);
    }
}

TEST(SwfAudioDecoderTest, CodecsWithoutDecoderAreSilent) {
    for (SoundCodec codec :
         {SoundCodec::Nellymoser, SoundCodec::Nellymoser8k, SoundCodec::Speex, SoundCodec::Aac}) {
        EXPECT_EQ(MakeSoundDecoder(Format(codec, 1, true, false)), nullptr);
        DefinedSound sound{1, Format(codec, 1, true, false), 100, Bytes(50, 0x55)};
        EXPECT_EQ(DecodeDefinedSound(sound)->frames(), 0u);
    }
}

Bytes ReadTone() {
    std::ifstream in(SAVER_SOURCE_DIR "/tests/swf/data/tone-440hz-22k-mono.mp3", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Zero crossings of the left channel from `from` on.
int Crossings(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int n = 0;
    for (std::size_t i = from + 1; i < to; ++i) n += (s[2 * i - 2] < 0) != (s[2 * i] < 0);
    return n;
}

TEST(SwfAudioDecoderTest, Mp3ToneWholeAndInBlocks) {
    const Bytes mp3 = ReadTone();
    ASSERT_GT(mp3.size(), 1000u);
    const SoundFormat format = Format(SoundCodec::Mp3, 2, true, false);
    // A DefineSound: SeekSamples, then the frames; cut to the declared count.
    Bytes body = {0x40, 0x02};  // 576 samples of delay to drop
    body.insert(body.end(), mp3.begin(), mp3.end());
    const auto whole = DecodeDefinedSound(DefinedSound{1, format, 5000, body});
    EXPECT_DOUBLE_EQ(whole->rate, 22050);
    ASSERT_EQ(whole->frames(), 5000u);
    // 440 Hz over 4000 frames at 22.05 kHz: about 160 crossings; the tone is half scale.
    EXPECT_NEAR(Crossings(whole->samples, 500, 4500), 160, 4);
    const auto peak = *std::max_element(whole->samples.begin(), whole->samples.end());
    EXPECT_GT(peak, 12000);
    EXPECT_EQ(whole->samples[1000], whole->samples[1001]);  // mono doubled

    // The same frames fed as stream blocks of any size decode to the same samples.
    auto decoder = MakeSoundDecoder(format);
    PcmBuffer streamed;
    for (std::size_t at = 0; at < mp3.size(); at += 300) {
        Bytes block = {0, 0, 0, 0};  // SampleCount, SeekSamples
        block.insert(block.end(), mp3.begin() + at, mp3.begin() + std::min(mp3.size(), at + 300));
        decoder->decode(StreamBlockPayload(format, block), streamed);
    }
    ASSERT_GE(streamed.frames(), 576u + 5000u);
    EXPECT_TRUE(std::equal(whole->samples.begin(), whole->samples.end(),
                           streamed.samples.begin() + 2 * 576));
}

TEST(SwfAudioDecoderTest, DamagedMp3DecodesWhatItCan) {
    Bytes mp3 = ReadTone();
    for (std::size_t i = 400; i < 500; ++i) mp3[i] = static_cast<std::uint8_t>(i * 7);
    mp3.resize(mp3.size() - 100);
    const auto pcm =
        DecodeDefinedSound(DefinedSound{1, Format(SoundCodec::Mp3, 2, true, false), 0, mp3});
    EXPECT_GT(pcm->frames(), 1000u);
    EXPECT_EQ(DecodeDefinedSound(DefinedSound{1, Format(SoundCodec::Mp3, 2, true, false), 0, {7}})
                  ->frames(),
              0u);
}

}  // namespace
}  // namespace saver::swf
