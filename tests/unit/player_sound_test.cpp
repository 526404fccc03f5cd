// The built-in player's sound as the show runs it: a device pulling whole buffers ahead of
// what it plays, a window timer that jitters, a drawing thread that stalls. The stream sample
// movie's sound must come out continuous and in step with its frames.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestDrive.h"
#include "player/BuiltinPlayer.h"
#include "swfwriter/SampleMovies.h"

namespace saver {
namespace {

using testing::TestDrive;

constexpr std::size_t kChunk = 1024;   // frames per device buffer
constexpr std::size_t kQueued = 4096;  // frames the device keeps queued ahead of playing

class FakeOutput : public AudioOutput {
  public:
    explicit FakeOutput(bool available, std::vector<std::int16_t>& heard)
        : available_(available), heard_(heard) {}
    bool start(Pull pull) override {
        if (!available_) return false;
        pull_ = std::move(pull);
        return true;
    }
    void stop() override { pull_ = nullptr; }
    // The device at `ms`: it keeps kQueued frames beyond what it has played.
    void runTo(double ms) {
        if (!pull_) return;
        const auto played = static_cast<std::size_t>(ms * 44.1);
        std::vector<std::int16_t> chunk(2 * kChunk);
        while (heard_.size() / 2 < played + kQueued) {
            pull_(chunk.data(), kChunk);
            heard_.insert(heard_.end(), chunk.begin(), chunk.end());
        }
    }

  private:
    bool available_;
    std::vector<std::int16_t>& heard_;
    Pull pull_;
};

std::string Sample(const char* name) {
    const auto bytes = swfwriter::BuildSample(name);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// Output frames from the first sound on that follow the stream sample loop after loop.
std::size_t ContinuousRun(const std::vector<std::int16_t>& s, std::size_t& start) {
    const std::uint32_t loop = swfwriter::kStreamFrames * swfwriter::kStreamFramesPerBlock;
    start = 0;
    while (start < s.size() / 2 && s[2 * start] == 0) ++start;
    std::size_t n = start;
    for (; n < s.size() / 2; ++n) {
        const auto [l, r] = swfwriter::StreamMark(static_cast<std::uint32_t>((n - start) % loop));
        if (s[2 * n] != l || s[2 * n + 1] != r) break;
    }
    return n - start;
}

struct Played {
    std::vector<std::int16_t> heard;
    int frames = 0;  // frames the timeline went forward
};

// Plays the stream sample for `seconds` with the window timer firing every `intervals` ms in
// turn; the drawing thread stops for `stallMs` at 4 s.
Played Play(bool device, std::vector<double> intervals, double stallMs, bool muted,
         double seconds = 10) {
    Played run;
    TestDrive drive;
    drive.put("C:\\m\\stream.swf", Sample("stream"));
    auto output = std::make_unique<FakeOutput>(device, run.heard);
    FakeOutput& out = *output;
    BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), MovieLoader::Inline(),
                         std::move(output));
    player.setSoundMuted(muted);
    player.setMovie("C:\\m\\stream.swf");
    double now = 0;
    int last = player.frameNum();
    bool stalled = false;
    for (std::size_t i = 0; now <= seconds * 1000; ++i) {
        out.runTo(now);
        player.advanceTo(static_cast<std::uint64_t>(now));
        const int frame = player.frameNum();
        run.frames += (frame - last + swfwriter::kStreamFrames) % swfwriter::kStreamFrames;
        last = frame;
        now += intervals[i % intervals.size()];
        if (!stalled && stallMs > 0 && now >= 4000) {
            stalled = true;
            out.runTo(now);  // the device plays on while nobody feeds it
            now += stallMs;
        }
    }
    return run;
}

TEST(PlayerSoundTest, StreamPlaysContinuouslyInStepWithItsFrames) {
    struct Row {
        const char* name;
        bool device;
        std::vector<double> intervals;
        double stallMs;
        int minFrames, maxFrames;
    };
    // 10 s at 12 fps: 120 frames, plus the lead the sound is fed ahead (a frame, two device
    // buffers and the longest recent wait for the window's thread).
    const std::vector<Row> rows = {
        {"steady device", true, {83}, 0, 119, 124},
        {"jittering timer", true, {70, 100, 16, 140}, 0, 119, 125},
        {"slow drawing", true, {250}, 0, 119, 127},
        {"no device", false, {83}, 0, 119, 123},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Played run = Play(r.device, r.intervals, r.stallMs, false);
        EXPECT_GE(run.frames, r.minFrames);
        EXPECT_LE(run.frames, r.maxFrames);
        if (!r.device) {
            EXPECT_TRUE(run.heard.empty());
            continue;
        }
        std::size_t start = 0;
        const std::size_t continuous = ContinuousRun(run.heard, start);
        EXPECT_LE(start, kQueued + kChunk);  // from the first buffer the device takes after it
        EXPECT_GE(continuous, run.heard.size() / 2 - start - kQueued)
            << "breaks at " << continuous;
    }
}

TEST(PlayerSoundTest, StallSkipsSoundAndFramesThenKeepsStep) {
    const Played run = Play(true, {83}, 600, false);
    EXPECT_GE(run.frames, 119);  // the frames of the stall are run, not lost
    EXPECT_LE(run.frames, 122);
    // The sound breaks once, at the stall, then runs on in step: whatever the stream plays at
    // the end belongs to the frame the timeline is on (within the lead).
    std::size_t start = 0;
    const std::size_t first = ContinuousRun(run.heard, start);
    EXPECT_GE(first, static_cast<std::size_t>(44100 * 3.9));
    EXPECT_LT(first, static_cast<std::size_t>(44100 * 4.7));
    const std::size_t end = run.heard.size() / 2 - kQueued - 1;  // played at about 10 s
    const std::int16_t left = run.heard[2 * end], right = run.heard[2 * end + 1];
    const auto index = static_cast<std::uint32_t>(left - 1 + (right << 15));
    const double soundSeconds = index / 44100.0;
    const double frameSeconds = (run.frames % swfwriter::kStreamFrames) / 12.0;
    // Both loop every 2 s: the difference is taken on that circle.
    const double apart = std::fmod(soundSeconds - frameSeconds + 3.0, 2.0) - 1.0;
    EXPECT_NEAR(apart, 0.0, 0.45);
}

TEST(PlayerSoundTest, MutedAndNewMovieAreSilentAtOnce) {
    const Played muted = Play(true, {83}, 0, true, 2);
    EXPECT_GE(muted.frames, 23);  // time goes on
    for (std::int16_t s : muted.heard) ASSERT_EQ(s, 0);

    std::vector<std::int16_t> heard;
    TestDrive drive;
    drive.put("C:\\m\\stream.swf", Sample("stream"));
    drive.put("C:\\m\\solid.swf", Sample("solid"));
    auto output = std::make_unique<FakeOutput>(true, heard);
    FakeOutput& out = *output;
    BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), MovieLoader::Inline(),
                         std::move(output));
    player.setMovie("C:\\m\\stream.swf");
    for (double ms = 0; ms < 1000; ms += 83) {
        out.runTo(ms);
        player.advanceTo(static_cast<std::uint64_t>(ms));
    }
    ASSERT_NE(heard.back(), 0);
    const std::size_t before = heard.size();
    player.setMovie("C:\\m\\solid.swf");
    out.runTo(1100);
    ASSERT_GT(heard.size(), before);
    for (std::size_t i = before; i < heard.size(); ++i) ASSERT_EQ(heard[i], 0) << i;
}

}  // namespace
}  // namespace saver
