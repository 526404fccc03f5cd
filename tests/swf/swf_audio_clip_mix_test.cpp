// Sounds a clip's frames start play under the transforms scripts gave that clip, the clips
// above it and the movie, also when the transform changes while they play; stopping a clip's
// sounds stops them.
#include <gtest/gtest.h>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/MovieSound.h"
#include "swf/player/MoviePlayer.h"
#include "swf_player_fixture.h"

namespace saver::swf {
namespace {

using namespace test;

// The root places sprite 20, whose first frame starts sound 7: one second of the constant
// sample 0x1000, 44.1 kHz 16-bit mono.
std::shared_ptr<Movie> FrameSoundMovie() {
    Frame withSound = MakeFrame({});
    withSound.sounds.push_back(StartSound{7, "", {}});
    auto movie = MakeMovie(MakeTimeline({MakeFrame({Place(1, 20)})}),
                           {Sprite{20, MakeTimeline({withSound})}});
    std::vector<std::uint8_t> pcm(2 * 44100);
    for (std::size_t i = 1; i < pcm.size(); i += 2) pcm[i] = 0x10;
    movie->sounds[7] = DefinedSound{7, SoundFormat{SoundCodec::PcmLittleEndian, 3, true, false},
                                    44100, std::move(pcm)};
    return movie;
}

SoundCommand Mix(std::shared_ptr<const TimelineInstance> clip, SoundTransform t) {
    SoundCommand c;
    c.kind = clip ? SoundCommand::Kind::ClipTransform : SoundCommand::Kind::GlobalTransform;
    c.clip = clip;
    c.transform = t;
    return c;
}

TEST(SwfAudioClipMixTest, FrameSoundsFollowTheirClipChain) {
    const auto movie = FrameSoundMovie();
    MoviePlayer player(movie, nullptr, true);
    const auto log = player.takeFrameLog();
    std::shared_ptr<const TimelineInstance> sprite;
    for (const FrameEntry& e : log)
        if (e.timeline != &movie->root) sprite = e.instance.lock();
    ASSERT_TRUE(sprite);
    const std::shared_ptr<const TimelineInstance> root = sprite->parent();
    ASSERT_TRUE(root);

    const SoundTransform half{100, 0, 0, 100, 50};
    const SoundTransform rightOnly{0, 0, 0, 100, 100};
    struct Row {
        const char* name;
        std::vector<SoundCommand> mixes;
        bool afterStart;  // the transforms come while the sound plays
        std::int16_t left, right;
    };
    const std::vector<Row> rows = {
        {"none", {}, false, 0x1000, 0x1000},
        {"the sprite's own", {Mix(sprite, half)}, false, 0x800, 0x800},
        {"volumes multiply up to the movie's",
         {Mix(nullptr, half), Mix(root, half), Mix(sprite, half)},
         false,
         0x200,
         0x200},
        {"a parent's channel mix", {Mix(root, rightOnly)}, false, 0, 0x1000},
        {"the nearest mix wins", {Mix(root, rightOnly), Mix(sprite, half)}, false, 0x800, 0x800},
        {"changed while playing", {Mix(root, half)}, true, 0x800, 0x800},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        AudioMixer mixer;
        MovieSound sound(*movie, mixer);
        if (!r.afterStart) sound.onCommands(r.mixes);
        sound.onFrames(log);
        if (r.afterStart) sound.onCommands(r.mixes);
        std::vector<std::int16_t> out(2 * 100);
        mixer.render(out.data(), 100);
        EXPECT_EQ(out[100], r.left);
        EXPECT_EQ(out[101], r.right);
    }

    // Stopping a clip's sounds silences what its own frames started, nothing else.
    AudioMixer mixer;
    MovieSound sound(*movie, mixer);
    sound.onFrames(log);
    for (const auto& [clip, left] : {std::pair{root, 1u}, std::pair{sprite, 0u}}) {
        SoundCommand stop;
        stop.kind = SoundCommand::Kind::StopClip;
        stop.clip = clip;
        sound.onCommands({stop});
        EXPECT_EQ(mixer.size(), left);
    }
}

}  // namespace
}  // namespace saver::swf
