#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "TestDrive.h"
#include "app/Runtime.h"
#include "platform/FakeServices.h"
#include "player/FlashPlayback.h"
#include "player/InputRules.h"
#include "player_fakes.h"

namespace saver {
namespace {

using testing::CallLog;
using testing::FakeWindow;
using testing::MovieScript;

class Show {
  public:
    Show() {
        rt.ProgramFolder = "C:\\P\\";
        rt.Setting.FlashStopTime = 1;
        rt.Setting.FlashDownloadTime = 2;
    }
    // Appends entries to FlashList; full paths of local files are created unless their name
    // says "missing".
    void movies(const std::vector<std::string>& paths) {
        for (const std::string& p : paths) {
            if (p.find(":\\") != std::string::npos && p.find("missing") == std::string::npos)
                drive.put(p, "FWS");
            rt.Setting.FlashList.push_back(p);
        }
    }
    void start() {
        playback.formShow();
        playback.timer1Tick();  // Tag 0: creates the player and loads the first movie
    }
    // Ticks until the player loads or restarts a movie; the number of ticks, 0 when none did
    // within `limit` ticks.
    int ticksUntilChange(int limit = 1000) {
        const int before = window.player->loads;
        for (int tick = 1; tick <= limit; ++tick) {
            playback.timer1Tick();
            if (window.player->loads != before) return tick;
        }
        return 0;
    }
    std::vector<std::string> loaded() const {
        std::vector<std::string> out;
        for (const std::string& line : window.log)
            if (line.rfind("Movie := ", 0) == 0 || line == "Rewind") out.push_back(line);
        return out;
    }
    int count(const std::string& line) const {
        return static_cast<int>(std::count(window.log.begin(), window.log.end(), line));
    }

    saver::testing::TestDrive drive;
    FakeServices sys;
    Runtime rt{drive.fs, sys};
    FakeWindow window;
    FlashPlayback playback{rt, window};
};

TEST(PlayerSetUpTest, PropertiesFromSettings) {
    struct Row {
        std::int32_t size;
        std::int32_t color;
        std::int32_t quality;
        std::optional<std::int32_t> scale;  // nullopt: ScaleMode not set
        std::int32_t background;
    };
    const Row rows[] = {
        {0, 0x00332211, 0, 0, 0x00112233}, {1, 0x000000FF, 3, 2, 0x00FF0000},
        {2, 0x00FF0000, 2, 3, 0x000000FF}, {3, 0x7F00FF00, 1, std::nullopt, 0x0000FF00},
        {-1, 0, 7, std::nullopt, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.size);
        CallLog log;
        std::map<std::string, MovieScript> scripts;
        saver::testing::FakePlayer player(log, scripts);
        SaverSetting s;
        s.FlashSize = r.size;
        s.FlashColor = r.color;
        s.FlashQuality = r.quality;
        SetUpPlayer(player, s);
        EXPECT_EQ(player.properties["BackgroundColor"], r.background);
        EXPECT_EQ(player.properties["Quality"], r.quality);
        EXPECT_EQ(player.properties["AlignMode"], 0);
        EXPECT_EQ(player.properties.count("ScaleMode"), r.scale ? 1u : 0u);
        if (r.scale) EXPECT_EQ(player.properties["ScaleMode"], *r.scale);
    }
}

TEST(FlashPlaybackTest, EmptyListStaysBlackAndKeyStillExits) {
    Show f;
    f.start();
    for (int i = 0; i < 50; ++i) f.playback.timer1Tick();
    EXPECT_EQ(f.count("create player"), 0);
    EXPECT_EQ(f.window.cursorCount, 0);
    EXPECT_FALSE(f.window.saverRunning);
    EXPECT_TRUE(f.window.timerOn);
    f.playback.onMessage(msg::KeyDown, 'A', true);
    EXPECT_EQ(f.window.closeRequests, 1);
}

TEST(FlashPlaybackTest, NoPlayerShowsTheMessageAndCloses) {
    for (MessageBoxAnswer answer : {MessageBoxAnswer::Yes, MessageBoxAnswer::No}) {
        Show f;
        f.movies({"C:\\m\\a.swf"});
        f.window.playerAvailable = false;
        f.sys.answer = answer;
        f.start();
        ASSERT_EQ(f.sys.messages.size(), 1u);
        EXPECT_EQ(f.sys.messages[0].caption, "Error");
        EXPECT_EQ(f.sys.messages[0].text,
                  "Playing Flash failed, Please install Shockware Flash firstly.");
        EXPECT_EQ(f.sys.messages[0].kind, MessageBoxKind::YesNo);
        CallLog expected{"timer on",    "create player", "saver flag 0",
                         "show cursor", "timer off",     "hide"};
        if (answer == MessageBoxAnswer::Yes)
            expected.push_back(std::string("open ") + kPlayerDownloadPage);
        expected.push_back("close");
        EXPECT_EQ(f.window.log, expected);
        EXPECT_TRUE(f.playback.state().PlaybackFailed);
        f.playback.timer1Tick();  // a tick that still comes closes again
        EXPECT_EQ(f.window.closeRequests, 2);
    }
}

TEST(FlashPlaybackTest, InOrderWrapsAround) {
    Show f;
    f.movies({"C:\\m\\a.swf", "C:\\m\\b.swf", "C:\\m\\c.swf"});
    f.window.scripts["a.swf"] = f.window.scripts["b.swf"] =
        f.window.scripts["c.swf"] = {MovieScript::Overruns, 3};
    f.start();
    for (int i = 0; i < 4; ++i) ASSERT_EQ(f.ticksUntilChange(), 4);
    EXPECT_EQ(f.loaded(),
              (std::vector<std::string>{"Movie := C:\\m\\a.swf", "Movie := C:\\m\\b.swf",
                                        "Movie := C:\\m\\c.swf", "Movie := C:\\m\\a.swf",
                                        "Movie := C:\\m\\b.swf"}));
}

TEST(FlashPlaybackTest, SingleMovieIsRestartedNotReloaded) {
    for (int sequence : {0, 1, 2}) {
        SCOPED_TRACE(sequence);
        Show f;
        f.rt.Setting.FlashSequence = static_cast<std::uint8_t>(sequence);
        f.movies({"C:\\m\\only.swf"});
        f.window.scripts["only.swf"] = {MovieScript::Overruns, 3};
        f.start();
        ASSERT_EQ(f.ticksUntilChange(), 4);
        ASSERT_EQ(f.ticksUntilChange(), 4);  // restarted from its first frame
        EXPECT_EQ(f.loaded(),
                  (std::vector<std::string>{"Movie := C:\\m\\only.swf", "Rewind", "Rewind"}));
        EXPECT_EQ(f.count("Play"), 2);
    }
}

TEST(FlashPlaybackTest, InOrderLookupOfTheCurrentMovie) {
    struct Row {
        const char* current;
        const char* next;
    };
    const Row rows[] = {
        {"", "C:\\m\\a.swf"},                              // the first movie of a show
        {"C:\\M\\A.SWF", "C:\\P\\sample\\b.swf"},          // the whole location, any case
        {"X:\\elsewhere\\B.SWF", "C:\\P\\sample\\c.swf"},  // its file-name part, any case
        {"X:\\elsewhere\\a.swf", "C:\\m\\a.swf"},          // found in no entry: the first
        {"c.swf", "C:\\m\\a.swf"},                         // past the last entry: wraps
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.current);
        Show f;
        f.movies({"C:\\m\\a.swf", "b.swf", "c.swf"});
        f.drive.put("C:\\P\\sample\\b.swf", "FWS");
        f.drive.put("C:\\P\\sample\\c.swf", "FWS");
        f.playback.state().CurrentMovie = r.current;
        f.playback.nextMovie();
        EXPECT_EQ(f.playback.state().CurrentMovie, r.next);
    }
}

TEST(FlashPlaybackTest, ChosenEntryIsResolvedInPlace) {
    Show f;
    f.movies({"C:\\m\\a.swf", "b.swf"});
    f.drive.put("C:\\P\\sample\\b.swf", "FWS");
    f.playback.state().CurrentMovie = "C:\\m\\a.swf";
    f.playback.nextMovie();
    EXPECT_EQ(f.rt.Setting.FlashList[1], "C:\\P\\sample\\b.swf");
    f.playback.nextMovie();  // found again by its resolved location
    EXPECT_EQ(f.playback.state().CurrentMovie, "C:\\m\\a.swf");
}

}  // namespace
}  // namespace saver
