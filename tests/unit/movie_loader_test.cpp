// The built-in player decodes movies on worker threads. These tests run the workers by hand
// (a StartThread that keeps the work for later), so every interleaving is exact, and once on
// real threads; ASan/UBSan watch the abandoned loads.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestDrive.h"
#include "player/BuiltinPlayer.h"
#include "swfwriter/SampleMovies.h"

namespace saver {
namespace {

using testing::TestDrive;

std::string Sample(const char* name) {
    const auto bytes = swfwriter::BuildSample(name, true);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// Worker threads that run when the test says so.
struct HeldWorkers {
    std::vector<std::function<void()>> work;
    bool refuse = false;

    MovieLoader::StartThread starter() {
        return [this](std::function<void()> w) {
            if (refuse) return false;
            work.push_back(std::move(w));
            return true;
        };
    }
    void run(std::size_t i) { work.at(i)(); }
};

class MovieLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        drive.put("C:\\m\\frames.swf", Sample("frames"));  // 10 frames
        drive.put("C:\\m\\solid.swf", Sample("solid"));    // 1 frame
        drive.put("C:\\m\\text.swf", "not a movie at all");
    }
    TestDrive drive;
    HeldWorkers workers;
};

TEST_F(MovieLoaderTest, LoadsOffTheCallersThreadAndAbandonsSupersededLoads) {
    struct Step {
        const char* what;
        const char* setMovie;  // nullptr: no new movie in this step
        int runWorker;         // index of the work to run first, -1 for none
        int frameNum, totalFrames;
        bool loading;
    };
    const Step steps[] = {
        {"set, decoding", "C:\\m\\frames.swf", -1, -1, 0, true},
        {"its worker ends", nullptr, 0, 0, 10, false},
        {"a second movie decodes", "C:\\m\\solid.swf", -1, -1, 0, true},
        {"superseded by a third", "C:\\m\\frames.swf", -1, -1, 0, true},
        {"the second's worker ends late: dropped", nullptr, 1, -1, 0, true},
        {"the third's worker ends", nullptr, 2, 0, 10, false},
        {"no movie: decodes to nothing", "C:\\m\\text.swf", 3, -1, 0, false},
        {"an address is never loaded", "http://h/frames.swf", -1, -1, 0, false},
        {"a missing file is never loaded", "C:\\m\\missing.swf", -1, -1, 0, false},
    };
    BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), workers.starter());
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.setMovie) player.setMovie(s.setMovie);
        if (s.runWorker >= 0) workers.run(static_cast<std::size_t>(s.runWorker));
        EXPECT_EQ(player.frameNum(), s.frameNum);
        EXPECT_EQ(player.totalFrames(), s.totalFrames);
        EXPECT_EQ(player.loading(), s.loading);
    }
    EXPECT_EQ(workers.work.size(), 4u);
}

TEST_F(MovieLoaderTest, RewindAndPlayWhileDecodingWaitForTheMovie) {
    BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), workers.starter());
    player.setMovie("C:\\m\\frames.swf");
    player.rewind();
    player.play();
    EXPECT_TRUE(player.advanceTo(500));    // the old picture goes
    EXPECT_FALSE(player.advanceTo(1000));  // nothing to show yet, nothing changed since
    workers.run(0);
    EXPECT_TRUE(player.advanceTo(1000));  // the movie arrives and its clock starts now
    EXPECT_EQ(player.frameNum(), 0);
    player.advanceTo(1000 + 1000 / 12 + 1);  // the sample plays at 12 frames per second
    EXPECT_EQ(player.frameNum(), 1);
}

TEST_F(MovieLoaderTest, ALoadOutlivesItsPlayer) {
    {
        BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), workers.starter());
        player.setMovie("C:\\m\\frames.swf");
    }
    workers.run(0);  // the worker finishes after the player is gone
    SUCCEED();
}

TEST_F(MovieLoaderTest, WithoutAThreadTheCallerDecodes) {
    workers.refuse = true;
    BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), workers.starter());
    player.setMovie("C:\\m\\frames.swf");
    EXPECT_FALSE(player.loading());
    EXPECT_EQ(player.totalFrames(), 10);
}

TEST_F(MovieLoaderTest, RealThreads) {
    const auto detached = [](std::function<void()> w) {
        std::thread(std::move(w)).detach();
        return true;
    };
    {
        // Set and dropped at once, again and again: every load is abandoned while it may run.
        BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), detached);
        for (int i = 0; i < 20; ++i)
            player.setMovie(i % 2 ? "C:\\m\\frames.swf" : "C:\\m\\solid.swf");
    }
    BuiltinPlayer player(BuiltinPlayer::ReaderFor(drive.fs), detached);
    player.setMovie("C:\\m\\frames.swf");
    // Generous: only a stuck load can use it up.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (player.frameNum() < 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(player.frameNum(), 0);
    EXPECT_EQ(player.totalFrames(), 10);
}

}  // namespace
}  // namespace saver
