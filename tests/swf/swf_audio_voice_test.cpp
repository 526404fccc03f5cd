// Event sounds as StartSound plays them: in and out points, loops, envelopes, rate conversion,
// and the "no multiple" and "stop" flags through MovieSound.
#include <gtest/gtest.h>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/EventVoice.h"
#include "swf/audio/MovieSound.h"

namespace saver::swf {
namespace {

// A sound whose left sample is its own index and right sample the negated index.
std::shared_ptr<const PcmBuffer> Ramp(double rate, int frames) {
    auto pcm = std::make_shared<PcmBuffer>();
    pcm->rate = rate;
    for (int i = 0; i < frames; ++i)
        pcm->push(static_cast<std::int16_t>(i), static_cast<std::int16_t>(-i));
    return pcm;
}

// The left channel a voice plays until it ends (at most `limit` frames).
std::vector<int> Play(SoundVoice& voice, std::size_t limit = 1000) {
    std::vector<int> left;
    std::vector<std::int32_t> acc(2);
    while (left.size() < limit) {
        acc.assign(2, 0);
        if (!voice.mix(acc.data(), 1)) break;
        left.push_back(acc[0]);
    }
    return left;
}

std::vector<int> Seq(int from, int to) {  // from..to-1
    std::vector<int> v;
    for (int i = from; i < to; ++i) v.push_back(i);
    return v;
}

TEST(SwfAudioVoiceTest, PointsLoopsAndRates) {
    SoundInfo plain, window, looped, outPastEnd;
    window.inPoint = 10;
    window.outPoint = 14;
    looped.outPoint = 3;
    looped.loopCount = 3;
    outPastEnd.outPoint = 1000000;
    const struct {
        double rate;
        int frames;
        SoundInfo info;
        Interpolation mode;
        std::vector<int> left;
    } cases[] = {
        {44100, 5, plain, Interpolation::Linear, Seq(0, 5)},
        {44100, 50, window, Interpolation::Linear, Seq(10, 14)},
        {44100, 50, looped, Interpolation::Linear, {0, 1, 2, 0, 1, 2, 0, 1, 2}},
        {44100, 4, outPastEnd, Interpolation::Linear, Seq(0, 4)},
        // 11 kHz: four output frames per source frame; points stay in 44.1 kHz units.
        {11025, 3, plain, Interpolation::Hold, {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}},
        {11025, 3, plain, Interpolation::Linear, {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}},
        {22050, 50, window, Interpolation::Hold, {5, 5, 6, 6}},
        {22050, 0, plain, Interpolation::Linear, {}},
    };
    for (const auto& c : cases) {
        EventVoice voice(1, Ramp(c.rate, c.frames), c.info, c.mode);
        EXPECT_EQ(Play(voice), c.left) << c.rate << " " << c.frames;
    }
}

TEST(SwfAudioVoiceTest, LinearInterpolationBetweenFrames) {
    auto pcm = std::make_shared<PcmBuffer>();
    pcm->rate = 11025;
    pcm->push(0, 0);
    pcm->push(400, -400);
    pcm->push(400, -400);
    EventVoice voice(1, pcm, SoundInfo{}, Interpolation::Linear);
    EXPECT_EQ(Play(voice),
              (std::vector<int>{0, 100, 200, 300, 400, 400, 400, 400, 400, 400, 400, 400}));
}

TEST(SwfAudioVoiceTest, EnvelopeShapesBothChannelsAcrossLoops) {
    auto pcm = std::make_shared<PcmBuffer>();
    pcm->rate = 44100;
    for (int i = 0; i < 4; ++i) pcm->push(1000, 1000);
    SoundInfo info;
    info.loopCount = 2;
    info.envelope = {{2, 0, 32768}, {6, 32768, 0}};
    EventVoice voice(1, pcm, info, Interpolation::Linear);
    std::vector<int> left, right;
    std::vector<std::int32_t> acc(2);
    for (acc.assign(2, 0); voice.mix(acc.data(), 1); acc.assign(2, 0)) {
        left.push_back(acc[0]);
        right.push_back(acc[1]);
    }
    EXPECT_EQ(left, (std::vector<int>{0, 0, 0, 250, 500, 750, 1000, 1000}));
    EXPECT_EQ(right, (std::vector<int>{1000, 1000, 1000, 750, 500, 250, 0, 0}));
}

TEST(SwfAudioVoiceTest, StartFlagsNoMultipleAndStop) {
    Movie movie;
    movie.sounds[5] = DefinedSound{5, SoundFormat{SoundCodec::PcmLittleEndian, 3, true, false}, 0,
                                   std::vector<std::uint8_t>(2000, 1)};
    StartSound start, noMultiple, stop, unknown, byClass;
    start.soundId = noMultiple.soundId = stop.soundId = 5;
    noMultiple.info.syncNoMultiple = true;
    stop.info.syncStop = true;
    unknown.soundId = 6;
    byClass.className = "Tune";
    const struct {
        std::vector<StartSound> starts;
        std::size_t voices;
    } cases[] = {
        {{start, start}, 2},       {{start, noMultiple}, 1},  {{noMultiple, noMultiple}, 1},
        {{start, start, stop}, 0}, {{start, stop, start}, 1}, {{unknown, byClass}, 0},
    };
    for (const auto& c : cases) {
        movie.root.frames.assign(1, Frame{});
        movie.root.frames[0].sounds = c.starts;
        AudioMixer mixer;
        MovieSound sound(movie, mixer);
        sound.onFrames({FrameEntry{{}, &movie.root, 0, false}});
        EXPECT_EQ(mixer.size(), c.voices);
        sound.stopAll();
        EXPECT_EQ(mixer.size(), 0u);
    }
}

}  // namespace
}  // namespace saver::swf
