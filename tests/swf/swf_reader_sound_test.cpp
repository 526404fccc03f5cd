// The sound tags: definitions, start commands with their SOUNDINFO, a timeline's stream head and
// blocks (root and sprite), and damaged sound tags that are dropped without losing the movie.
#include <gtest/gtest.h>

#include "swf/format/SwfReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using namespace test;

enum : std::uint16_t {
    kDefineSound = 14,
    kStartSound = 15,
    kSoundStreamHead = 18,
    kSoundStreamBlock = 19,
    kSoundStreamHead2 = 45,
    kStartSound2 = 89,
};

TEST(SwfReaderSoundTest, DefinitionsStartsAndStreams) {
    // ADPCM, 22 kHz, 16-bit, stereo: 0001 10 1 1.
    const Bytes define = Bits().u16(7).u8(0x1B).u32(1234).bytes({1, 2, 3}).done();
    // SOUNDINFO with every field: no-multiple, envelope, loops, out and in points.
    const Bytes start = Bits()
                            .u16(7)
                            .u8(0x1F)
                            .u32(100)
                            .u32(900)
                            .u16(3)
                            .u8(2)
                            .u32(0)
                            .u16(0)
                            .u16(32768)
                            .u32(441)
                            .u16(32768)
                            .u16(0)
                            .done();
    const Bytes stop = Bits().u16(7).u8(0x20).done();
    const Bytes start2 = Bits().str("Tune").u8(0x00).done();
    // Stream: MP3 44 kHz 16-bit stereo (0010 11 1 1), 1470 samples per block, seek 576.
    const Bytes head = Bits().u8(0x0F).u8(0x2F).u16(1470).u16(576).done();
    const Bytes sprite =
        Bits()
            .u16(9)
            .u16(1)
            .bytes(Concat({Tag(kSoundStreamHead, Bits().u8(0x02).u8(0x32).u16(100).done()),
                           Tag(kSoundStreamBlock, {5, 6}), ShowFrame(), End()}))
            .done();
    const Movie m = ReadMovie(
        Fws(Concat({Tag(kDefineSound, define), Tag(kSoundStreamHead2, head),
                    Tag(kStartSound, start), Tag(kSoundStreamBlock, {9, 8}),
                    Tag(kSoundStreamBlock, {7}), ShowFrame(), Tag(kStartSound, stop),
                    Tag(kStartSound2, start2), Tag(kDefineSprite, sprite), ShowFrame(), End()}),
            2));
    ASSERT_EQ(m.sounds.count(7), 1u);
    const DefinedSound& s = m.sounds.at(7);
    EXPECT_EQ(s.format.codec, SoundCodec::Adpcm);
    EXPECT_DOUBLE_EQ(s.format.sampleRate(), 22050);
    EXPECT_TRUE(s.format.is16Bit && s.format.stereo);
    EXPECT_EQ(s.sampleCount, 1234u);
    EXPECT_EQ(s.data, (Bytes{1, 2, 3}));
    EXPECT_EQ(m.dictionary.count(7), 1u);

    ASSERT_EQ(m.root.frames.size(), 2u);
    ASSERT_EQ(m.root.frames[0].sounds.size(), 1u);
    const SoundInfo& info = m.root.frames[0].sounds[0].info;
    EXPECT_TRUE(info.syncNoMultiple);
    EXPECT_FALSE(info.syncStop);
    EXPECT_EQ(info.inPoint, 100u);
    EXPECT_EQ(info.outPoint, 900u);
    EXPECT_EQ(info.loopCount, 3);
    ASSERT_EQ(info.envelope.size(), 2u);
    EXPECT_EQ(info.envelope[1].position44, 441u);
    EXPECT_EQ(info.envelope[1].leftLevel, 32768);
    EXPECT_EQ(info.envelope[1].rightLevel, 0);
    // The first block of a frame counts; the second is skipped.
    ASSERT_TRUE(m.root.frames[0].streamBlock);
    EXPECT_EQ(m.root.frames[0].streamBlock->data, (Bytes{9, 8}));
    EXPECT_EQ(m.skippedTags.at(kSoundStreamBlock), 1u);
    ASSERT_TRUE(m.root.streamHead);
    EXPECT_EQ(m.root.streamHead->stream.codec, SoundCodec::Mp3);
    EXPECT_EQ(m.root.streamHead->samplesPerBlock, 1470);
    EXPECT_EQ(m.root.streamHead->latencySeek, 576);

    ASSERT_EQ(m.root.frames[1].sounds.size(), 2u);
    EXPECT_TRUE(m.root.frames[1].sounds[0].info.syncStop);
    EXPECT_EQ(m.root.frames[1].sounds[1].className, "Tune");
    EXPECT_EQ(m.root.frames[1].sounds[1].info.loopCount, 1);

    const auto& spriteTimeline = std::get<Sprite>(m.dictionary.at(9)).timeline;
    ASSERT_TRUE(spriteTimeline.streamHead);
    EXPECT_EQ(spriteTimeline.streamHead->stream.codec, SoundCodec::PcmLittleEndian);
    EXPECT_EQ(spriteTimeline.streamHead->latencySeek, 0);
    ASSERT_TRUE(spriteTimeline.frames.at(0).streamBlock);
}

TEST(SwfReaderSoundTest, DamagedSoundTagsAreDroppedNotFatal) {
    const struct {
        std::uint16_t code;
        Bytes body;
    } cases[] = {
        {kDefineSound, {7, 0, 0x1B}},    // no sample count
        {kStartSound, {7, 0, 0x01}},     // in point announced, missing
        {kStartSound, {7, 0, 0x08, 1}},  // envelope count, no points
        {kStartSound2, {'T', 'u'}},      // class name without its end
        {kSoundStreamHead, {0x0F}},      // half a head
    };
    for (const auto& c : cases) {
        const Movie m = ReadMovie(Fws(Concat({Tag(c.code, c.body), ShowFrame(), End()})));
        EXPECT_EQ(m.skippedTags.at(c.code), 1u) << c.code;
        EXPECT_TRUE(m.sounds.empty());
        EXPECT_TRUE(m.root.frames.at(0).sounds.empty());
        EXPECT_FALSE(m.root.streamHead);
    }
}

}  // namespace
}  // namespace saver::swf
