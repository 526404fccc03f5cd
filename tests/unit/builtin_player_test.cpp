#include "player/BuiltinPlayer.h"
#include "player/PlayerChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDrive.h"
#include "swf/render/BgraImage.h"
#include "swfwriter/SampleMovies.h"

namespace saver {
namespace {

using testing::TestDrive;

std::string Sample(const char* name, bool compress = false) {
    const auto bytes = swfwriter::BuildSample(name, compress);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

struct Pixel {
    int b, g, r;
    bool operator==(const Pixel&) const = default;
};

Pixel At(const swf::BgraImage& image, int x, int y) {
    const auto* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2]};
}

constexpr Pixel kRed{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0}, kBlue{255, 0, 0};

class BuiltinPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        drive.put("C:\\m\\frames.swf", Sample("frames"));
        drive.put("C:\\m\\stop.swf", Sample("stop"));
        drive.put("C:\\m\\solid.swf", Sample("solid"));
        drive.put("C:\\m\\solid-cws.swf", Sample("solid", true));
        drive.put("C:\\m\\shapes.swf", Sample("shapes"));
        drive.put("C:\\m\\text.swf", "not a movie at all");
        drive.put("C:\\m\\cut.swf", Sample("frames").substr(0, 40));
        drive.put("C:\\m\\header.swf", Sample("frames").substr(0, 12));
    }
    // Advances to `ms` after the movie's start and returns the frame then.
    int FrameAt(std::uint64_t ms) {
        player.advanceTo(ms);
        return player.frameNum();
    }

    TestDrive drive;
    BuiltinPlayer player{BuiltinPlayer::ReaderFor(drive.fs)};
};

TEST_F(BuiltinPlayerTest, Locations) {
    struct Case {
        const char* location;
        int frameNum, totalFrames;
    };
    const Case cases[] = {
        {"C:\\m\\frames.swf", 0, 10},
        {"C:\\M\\FRAMES.SWF", 0, 10},
        {"C:\\m\\solid-cws.swf", 0, 1},
        {"http://example.com/frames.swf", -1, 0},
        {"file://C:/m/frames.swf", -1, 0},
        {"C:\\m\\missing.swf", -1, 0},
        {"C:\\m\\text.swf", -1, 0},
        {"C:\\m\\cut.swf", 0, 10},  // cut inside its tags: plays what it holds
        {"C:\\m\\header.swf", -1, 0},
        {"", -1, 0},
    };
    for (const auto& c : cases) {
        player.setMovie(c.location);
        EXPECT_EQ(player.movie(), c.location);
        EXPECT_EQ(player.frameNum(), c.frameNum) << c.location;
        EXPECT_EQ(player.totalFrames(), c.totalFrames) << c.location;
    }
}

TEST_F(BuiltinPlayerTest, FramesFollowTheClockAndTheRootLoops) {
    player.setMovie("C:\\m\\frames.swf");  // 10 frames at 12 per second: one per 83.3 ms
    struct Step {
        std::uint64_t ms;
        int frame;
    };
    const Step steps[] = {
        {1000, 0},  // the first advance starts the clock
        {1083, 0}, {1084, 1}, {1170, 2}, {1200, 2}, {1510, 6},  // 4 frames due: all run
        {3000, 0},  // a stall: 4 frames at most (6 + 4 wraps past frame 9), then on from now
        {3084, 1},
    };
    for (const auto& s : steps) EXPECT_EQ(FrameAt(s.ms), s.frame) << s.ms;
}

TEST_F(BuiltinPlayerTest, StopActionHoldsUntilRewindAndPlay) {
    player.setMovie("C:\\m\\stop.swf");
    player.advanceTo(0);
    for (int ms = 100; ms <= 2000; ms += 100) player.advanceTo(ms);
    EXPECT_EQ(player.frameNum(), 4);
    player.rewind();
    EXPECT_EQ(player.frameNum(), 0);
    player.play();
    EXPECT_EQ(FrameAt(2084), 1);
}

TEST_F(BuiltinPlayerTest, SettingAMovieRestartsItsClock) {
    player.setMovie("C:\\m\\frames.swf");
    player.advanceTo(0);
    EXPECT_EQ(FrameAt(250), 3);
    player.setMovie("C:\\m\\frames.swf");
    EXPECT_EQ(player.frameNum(), 0);
    EXPECT_TRUE(player.advanceTo(5000));  // new movie: picture changed, clock starts here
    EXPECT_EQ(player.frameNum(), 0);
    EXPECT_FALSE(player.advanceTo(5050));
    EXPECT_TRUE(player.advanceTo(5090));
}

TEST_F(BuiltinPlayerTest, BackgroundAndScaleMode) {
    struct Case {
        const char* name;
        const char* location;
        std::int32_t background;  // -1: not set
        std::int32_t scaleMode;
        int width, height;
        std::vector<std::pair<int, int>> points;
        std::vector<Pixel> expected;
    };
    const Case cases[] = {
        {"movie background",
         "C:\\m\\solid.swf",
         -1,
         0,
         100,
         100,
         {{50, 50}, {5, 5}},
         {kRed, kWhite}},
        {"property replaces it",
         "C:\\m\\solid.swf",
         0x0000FF,
         0,
         100,
         100,
         {{50, 50}, {5, 5}},
         {kRed, kBlue}},
        {"show all letterboxes",
         "C:\\m\\solid.swf",
         0x000000,
         0,
         200,
         100,
         {{10, 50}, {60, 50}, {100, 50}, {140, 50}},
         {kBlack, kBlack, kRed, kBlack}},
        {"exact fit stretches",
         "C:\\m\\solid.swf",
         0x000000,
         2,
         200,
         100,
         {{10, 50}, {60, 50}, {140, 50}},
         {kBlack, kRed, kRed}},
        {"no movie: property", "C:\\m\\missing.swf", 0x0000FF, 0, 20, 20, {{5, 5}}, {kBlue}},
        {"no movie, no property: black", "C:\\m\\missing.swf", -1, 0, 20, 20, {{5, 5}}, {kBlack}},
    };
    for (const auto& c : cases) {
        BuiltinPlayer p(BuiltinPlayer::ReaderFor(drive.fs));
        if (c.background >= 0) p.setBackgroundColor(c.background);
        p.setScaleMode(c.scaleMode);
        p.setMovie(c.location);
        swf::BgraImage image;
        p.renderInto(image, c.width, c.height);
        ASSERT_EQ(image.width, c.width);
        ASSERT_EQ(image.height, c.height);
        for (std::size_t i = 0; i < c.points.size(); ++i)
            EXPECT_EQ(At(image, c.points[i].first, c.points[i].second), c.expected[i])
                << c.name << " point " << i;
    }
}

// Anti-aliasing leaves edge pixels between two colours; without it every pixel is one of the
// colours of the movie.
int BlendedPixels(BuiltinPlayer& p) {
    swf::BgraImage image;
    p.renderInto(image, 200, 200);
    int blended = 0;
    for (int y = 100; y < 200; ++y)
        for (int x = 100; x < 200; ++x) {
            const Pixel px = At(image, x, y);
            if (!(px == kWhite) && !(px == Pixel{0, 128, 255})) ++blended;
        }
    return blended;
}

TEST_F(BuiltinPlayerTest, QualityChoosesAntiAliasing) {
    const std::pair<std::int32_t, bool> cases[] = {{0, false}, {1, true}, {2, false}, {3, true}};
    for (const auto& [quality, smooth] : cases) {
        BuiltinPlayer p(BuiltinPlayer::ReaderFor(drive.fs));
        p.setQuality(quality);
        p.setMovie("C:\\m\\shapes.swf");  // an orange circle in the lower right quarter
        EXPECT_EQ(BlendedPixels(p) > 0, smooth) << "quality " << quality;
    }
}

}  // namespace
}  // namespace saver

namespace saver {
namespace {

TEST(PlayerChoice, ControlOnlyWhileItStillPlays) {
    struct Case {
        bool registered;
        std::optional<FileVersion> version;
        PlayerKind expected;
    };
    const Case cases[] = {
        {false, std::nullopt, PlayerKind::Builtin},
        {false, FileVersion{11, 2, 202, 0}, PlayerKind::Builtin},
        {true, FileVersion{11, 2, 202, 0}, PlayerKind::ActiveX},
        {true, FileVersion{32, 0, 0, 363}, PlayerKind::ActiveX},
        {true, FileVersion{32, 0, 0, 370}, PlayerKind::ActiveX},
        {true, FileVersion{32, 0, 0, 371}, PlayerKind::Builtin},
        {true, FileVersion{32, 0, 1, 0}, PlayerKind::Builtin},
        {true, FileVersion{34, 0, 0, 0}, PlayerKind::Builtin},
        {true, FileVersion{31, 9, 999, 999}, PlayerKind::ActiveX},
        {true, std::nullopt, PlayerKind::ActiveX},
    };
    for (const auto& c : cases) {
        const FileVersion v = c.version.value_or(FileVersion{});
        EXPECT_EQ(ChoosePlayer(c.registered, c.version), c.expected)
            << c.registered << " " << v.major << "." << v.minor << "." << v.build << "."
            << v.revision;
    }
    EXPECT_EQ(FileVersionOf(0x00200000, 0x00000173), (FileVersion{32, 0, 0, 371}));
    EXPECT_EQ(FileVersionOf(0x000B0002, 0x00CA0000), (FileVersion{11, 2, 202, 0}));
}

}  // namespace
}  // namespace saver
