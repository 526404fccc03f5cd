// A stream sound played along a looping timeline for 10 s through the WAV sink: once it starts,
// the output is the blocks' samples end to end, loop after loop, with no gap and no block
// played twice. Also: a jump restarts the stream, a stopped timeline lets it play out.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "swf/audio/MovieSound.h"
#include "swf/audio/SoundDecoder.h"
#include "swf/audio/SoundPacer.h"
#include "swf/audio/WavWriter.h"
#include "swf/player/MoviePlayer.h"

namespace saver::swf {
namespace {

constexpr int kFrames = 30;
constexpr double kRate = 24;  // 1837.5 output frames per movie frame

// The sample pair of stream frame `i`: distinct for every frame of a loop, never silent.
std::pair<std::int16_t, std::int16_t> Mark(std::uint32_t i) {
    return {static_cast<std::int16_t>(((i + 1) & 0x7FFF)), static_cast<std::int16_t>(i >> 15)};
}

// 44.1 kHz 16-bit stereo uncompressed blocks whose lengths alternate 1837 / 1838.
std::shared_ptr<Movie> StreamMovie(std::uint32_t& loopFrames) {
    auto movie = std::make_shared<Movie>();
    movie->header.frameRate = kRate;
    movie->header.frameCount = kFrames;
    movie->root.declaredFrameCount = kFrames;
    SoundStreamHead head;
    head.stream = SoundFormat{SoundCodec::PcmLittleEndian, 3, true, true};
    head.samplesPerBlock = 1837;
    movie->root.streamHead = head;
    std::uint32_t at = 0;
    for (int f = 0; f < kFrames; ++f) {
        const std::uint32_t end = static_cast<std::uint32_t>((f + 1) * 1837.5);
        SoundStreamBlock block;
        for (; at < end; ++at) {
            const auto [l, r] = Mark(at);
            for (std::int16_t s : {l, r}) {
                block.data.push_back(static_cast<std::uint8_t>(s));
                block.data.push_back(static_cast<std::uint8_t>(s >> 8));
            }
        }
        Frame frame;
        frame.streamBlock = std::move(block);
        movie->root.frames.push_back(std::move(frame));
    }
    loopFrames = at;
    return movie;
}

std::vector<std::int16_t> ReadWavSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> samples;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

TEST(SwfAudioStreamTest, TenSecondsThroughTheWavSinkAreContinuous) {
    std::uint32_t loopFrames = 0;
    const auto movie = StreamMovie(loopFrames);
    MoviePlayer player(movie, nullptr, true);
    AudioMixer mixer;
    MovieSound sound(*movie, mixer);
    SoundPacer pacer(player, sound, mixer);
    const std::string path = testing::TempDir() + "swf_audio_stream_test.wav";
    {
        WavWriter wav;
        ASSERT_TRUE(wav.open(path));
        std::vector<std::int16_t> buffer(2 * 1000);
        for (int i = 0; i < 441; ++i) {
            pacer.render(buffer.data(), 1000);
            wav.write(buffer.data(), 1000);
        }
        ASSERT_TRUE(wav.finish());
    }
    EXPECT_EQ(pacer.ticks(), 240u);  // 10 s at 24 frames per second
    const std::vector<std::int16_t> s = ReadWavSamples(path);
    ASSERT_EQ(s.size(), 2u * 441000);
    std::size_t start = 0;
    while (start < s.size() / 2 && s[2 * start] == 0) ++start;
    EXPECT_LE(start, 2 * 1838u);  // the stream's lead: at most two frames
    std::size_t n = start;
    for (; n < s.size() / 2; ++n) {
        const auto [l, r] = Mark(static_cast<std::uint32_t>((n - start) % loopFrames));
        if (s[2 * n] != l || s[2 * n + 1] != r) break;
    }
    EXPECT_EQ(n, s.size() / 2) << "the stream breaks at output frame " << n;
}

TEST(SwfAudioStreamTest, JumpRestartsAndStopPlaysOut) {
    std::uint32_t loopFrames = 0;
    const auto movie = StreamMovie(loopFrames);
    MoviePlayer player(movie, nullptr, true);
    AudioMixer mixer;
    MovieSound sound(*movie, mixer);
    SoundPacer pacer(player, sound, mixer);
    std::vector<std::int16_t> out(2 * 20000);
    pacer.render(out.data(), 20000);
    ASSERT_EQ(mixer.size(), 1u);
    player.rewind();  // a jump: the old voice goes, a new one starts from frame 0's block
    sound.onFrames(player.takeFrameLog());
    ASSERT_EQ(mixer.size(), 1u);
    EXPECT_EQ(sound.rootStreamQueued(), 1837u);
    player.stop();
    sound.onFrames(player.takeFrameLog());
    pacer.render(out.data(), 20000);  // plays out what was queued, then ends
    EXPECT_EQ(mixer.size(), 0u);
    int silent = 0;
    for (std::size_t i = 0; i < out.size(); i += 2) silent += out[i] == 0;
    EXPECT_EQ(silent, 20000 - 1837);
}

}  // namespace
}  // namespace saver::swf

namespace saver::swf {
namespace {

std::vector<std::uint8_t> ToneMp3() {
    std::ifstream in(SAVER_SOURCE_DIR "/tests/swf/data/tone-440hz-22k-mono.mp3", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An MP3 stream drops the head's latency when it starts at its first block, and the block's own
// SeekSamples when it starts at a later one.
TEST(SwfAudioStreamTest, Mp3StartSkipsLatencyOrBlockSeek) {
    const auto mp3 = ToneMp3();
    ASSERT_GT(mp3.size(), 1000u);
    Movie movie;
    movie.header.frameRate = 12;
    SoundStreamHead head;
    head.stream = SoundFormat{SoundCodec::Mp3, 2, true, false};
    head.latencySeek = 50;
    movie.root.streamHead = head;
    for (std::uint8_t seek : {7, 0, 100}) {
        Frame frame;
        frame.streamBlock = SoundStreamBlock{{0, 0, seek, 0}};
        frame.streamBlock->data.insert(frame.streamBlock->data.end(), mp3.begin(), mp3.end());
        movie.root.frames.push_back(std::move(frame));
    }
    PcmBuffer whole;
    MakeSoundDecoder(head.stream)->decode(mp3, whole);
    const struct {
        int frame;
        std::size_t skipped;
    } cases[] = {{0, 50}, {2, 100}};
    for (const auto& c : cases) {
        PlayerContext context;
        context.movie = &movie;
        context.logFrames = true;
        auto timeline = std::make_shared<TimelineInstance>(context, movie.root, 0);
        timeline->restart();
        timeline->gotoFrameAndStop(c.frame);
        AudioMixer mixer;
        MovieSound sound(movie, mixer);
        sound.onFrames({context.frameLog.back()});
        EXPECT_EQ(sound.rootStreamQueued(), whole.frames() - c.skipped) << c.frame;
    }
}

}  // namespace
}  // namespace saver::swf
