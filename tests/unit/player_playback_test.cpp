#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "TestDrive.h"
#include "payload/Runtime.h"
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

TEST(FlashPlaybackTest, WhenAMovieIsReplaced) {
    // FlashStopTime 1 s and FlashDownloadTime 2 s: 10 and 20 ticks.
    struct Row {
        const char* what;
        const char* location;
        MovieScript script;
        int ticks;  // ticks after the first movie was loaded until the next one is
    };
    const Row rows[] = {
        {"stalled local movie", "C:\\m\\stall.swf", {MovieScript::Stalls, 5, 0, 2}, 3 + 11},
        {"stalled :// movie", "http://h/stall.swf", {MovieScript::Stalls, 5, 0, 2}, 3 + 21},
        {"looping local movie", "C:\\m\\loop.swf", {MovieScript::Loops, 5}, 5 + 11},
        {"looping :// movie", "http://h/loop.swf", {MovieScript::Loops, 5}, 5 + 21},
        {"no frame, local", "C:\\m\\none.swf", {MovieScript::Missing}, 21},
        {"no frame, ://", "http://h/none.swf", {MovieScript::Missing}, 21},
        {"overrun, local", "C:\\m\\over.swf", {MovieScript::Overruns, 5}, 6},
        {"overrun, ://", "http://h/over.swf", {MovieScript::Overruns, 5}, 6},
        // Loading for longer than FlashStopTime does not count against the movie.
        {"slow to load, then loops", "C:\\m\\slow.swf", {MovieScript::Loops, 5, 15}, 20 + 11},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Show f;
        f.movies({r.location, "C:\\m\\next.swf"});
        f.window.scripts[winpath::bareNameOf(r.location)] = r.script;
        f.start();
        EXPECT_EQ(f.ticksUntilChange(), r.ticks);
        EXPECT_EQ(f.playback.state().CurrentMovie, "C:\\m\\next.swf");
        EXPECT_EQ(f.playback.state().StallTicks, 0);
        EXPECT_EQ(f.playback.state().MaxFrame, 0);
    }
}

TEST(FlashPlaybackTest, UnresolvableEntriesAreSkipped) {
    Show f;
    f.movies({"C:\\m\\a.swf", "C:\\m\\missing1.swf", "C:\\m\\missing2.swf", "C:\\m\\b.swf"});
    f.window.scripts["a.swf"] = {MovieScript::Overruns, 3};
    f.start();
    ASSERT_EQ(f.ticksUntilChange(), 4);
    EXPECT_EQ(f.loaded(),
              (std::vector<std::string>{"Movie := C:\\m\\a.swf", "Movie := C:\\m\\b.swf"}));
}

TEST(FlashPlaybackTest, NothingResolvesAfterEveryTryTheLastChoicePlays) {
    for (int sequence : {0, 1}) {
        SCOPED_TRACE(sequence);
        Show f;
        f.rt.Setting.FlashSequence = static_cast<std::uint8_t>(sequence);
        f.movies({"C:\\m\\missing1.swf", "C:\\m\\missing2.swf"});
        f.start();
        ASSERT_EQ(f.loaded().size(), 1u);
        if (sequence == 0) EXPECT_EQ(f.loaded()[0], "Movie := C:\\m\\missing1.swf");
        EXPECT_TRUE(f.window.timerOn);
    }
}

TEST(FlashPlaybackTest, ShuffleNeverRepeatsAFileBackToBack) {
    Show f;
    f.rt.Setting.FlashSequence = 1;
    f.rt.Random.seed(4711);
    f.movies({"C:\\a\\x.swf", "C:\\b\\x.swf", "C:\\m\\y.swf", "C:\\m\\z.swf"});
    std::set<std::string> seen;
    std::string last;
    for (int i = 0; i < 2000; ++i) {
        f.playback.nextMovie();
        const std::string now = f.playback.state().CurrentMovie;
        ASSERT_NE(winpath::fileNameOf(now), winpath::fileNameOf(last)) << "pick " << i;
        seen.insert(now);
        last = now;
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST(FlashPlaybackTest, ShuffleOfOneFileNameInManyFoldersDoesNotHang) {
    Show f;
    f.rt.Setting.FlashSequence = 1;
    f.movies({"C:\\a\\x.swf", "C:\\b\\x.swf"});
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        f.playback.nextMovie();
        seen.insert(f.playback.state().CurrentMovie);
    }
    EXPECT_EQ(seen.size(), 2u);
}

TEST(FlashPlaybackTest, TimerIsOffWhileTheNextMovieStarts) {
    Show f;
    f.movies({"C:\\m\\a.swf"});
    f.start();
    const CallLog expected{"timer on", "create player", "timer off", "Movie := C:\\m\\a.swf",
                           "timer on"};
    EXPECT_EQ(f.window.log, expected);
}

TEST(FlashPlaybackTest, EveryTickKeepsTheSaverFlagAndHidesTheCursor) {
    for (bool showCursor : {false, true}) {
        SCOPED_TRACE(showCursor);
        Show f;
        f.rt.Setting.ShowCursor = showCursor;
        f.movies({"C:\\m\\a.swf"});
        f.start();
        EXPECT_EQ(f.window.cursorCount, 0);  // not before the player plays
        for (int i = 0; i < 5; ++i) f.playback.timer1Tick();
        EXPECT_TRUE(f.window.saverRunning);
        EXPECT_EQ(f.window.cursorCount, showCursor ? 0 : -5);
    }
}

TEST(FlashPlaybackTest, PlayerErrorsOfAMovieChangeAreSwallowed) {
    for (const char* failing : {"Movie", "Movie :=", "Rewind", "Play"}) {
        SCOPED_TRACE(failing);
        Show f;
        f.movies({"C:\\m\\a.swf"});
        f.window.scripts["a.swf"] = {MovieScript::Overruns, 3};
        f.start();
        f.window.player->failing = failing;
        for (int i = 0; i < 10; ++i) ASSERT_NO_THROW(f.playback.timer1Tick());
        EXPECT_TRUE(f.window.timerOn);
    }
}

TEST(FlashPlaybackTest, SetUpErrorLeavesThePlayerRunning) {
    Show f;
    f.movies({"C:\\m\\a.swf"});
    f.window.failingCall = "Quality";
    EXPECT_NO_THROW(f.start());
    EXPECT_EQ(f.playback.timerTag(), 1);
    EXPECT_TRUE(f.loaded().empty());
    f.window.player->failing.clear();
    EXPECT_GT(f.ticksUntilChange(), 0);  // the stall limits bring the first movie in
    EXPECT_EQ(f.loaded(), (std::vector<std::string>{"Movie := C:\\m\\a.swf"}));
}

TEST(FlashPlaybackTest, FailingReadsCountAsAStallAndTheShowMovesOn) {
    // FlashStopTime 1 s and FlashDownloadTime 2 s: 10 and 20 ticks.
    struct Row {
        const char* failing;
        const char* location;
        int ticks;  // ticks after the first movie was loaded until the next one is
    };
    const Row rows[] = {
        {"FrameNum", "C:\\m\\a.swf", 11},
        {"FrameNum", "http://h/a.swf", 21},
        {"TotalFrames", "C:\\m\\a.swf", 5 + 11},  // no end seen: left as a looping movie
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.failing) + " " + r.location);
        Show f;
        f.movies({r.location, "C:\\m\\b.swf"});
        f.window.scripts["a.swf"] = {MovieScript::Loops, 5};
        f.window.failingCall = r.failing;
        f.start();
        EXPECT_NO_THROW(EXPECT_EQ(f.ticksUntilChange(), r.ticks));
        EXPECT_EQ(f.playback.state().CurrentMovie, "C:\\m\\b.swf");
        EXPECT_TRUE(f.window.timerOn);
        f.playback.onMessage(msg::KeyDown, 'Q', true);
        EXPECT_EQ(f.window.closeRequests, 1);
    }
}

TEST(FlashPlaybackTest, ShowAndCloseSequence) {
    // FlashMute: the control is silenced through wave-out volume (given back at close), the
    // built-in player silences its own output and the system's volume is never touched.
    struct Row {
        bool mute, ownSound;
        CallLog atStart, beforeTerminate;
    };
    const std::vector<Row> rows = {
        {false, false, {}, {}},
        {true, false, {"mute"}, {"unmute"}},
        {false, true, {}, {}},
        {true, true, {"player muted"}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.mute) + std::to_string(r.ownSound));
        Show f;
        f.rt.Setting.FlashMute = r.mute;
        f.window.playerOwnSound = r.ownSound;
        f.movies({"C:\\m\\a.swf"});
        f.rt.MouseMoveBudget = 3;
        f.start();
        EXPECT_EQ(f.rt.MouseMoveBudget, 20);
        CallLog start{"timer on", "create player"};
        start.insert(start.end(), r.atStart.begin(), r.atStart.end());
        ASSERT_GE(f.window.log.size(), start.size());
        EXPECT_EQ(CallLog(f.window.log.begin(), f.window.log.begin() + start.size()), start);
        f.window.log.clear();
        f.playback.formClose();
        f.playback.formClose();  // a second close does nothing more
        CallLog expected{"hide",           "saver flag 0", "show cursor",
                         "destroy covers", "timer off",    "player destroyed"};
        expected.insert(expected.end(), r.beforeTerminate.begin(), r.beforeTerminate.end());
        expected.push_back("terminate");
        EXPECT_EQ(f.window.log, expected);
        EXPECT_EQ(f.playback.timerTag(), 0);
        EXPECT_EQ(f.playback.player(), nullptr);
        // A tick or a key still queued after the close changes nothing.
        f.window.log.clear();
        f.playback.timer1Tick();
        f.playback.onMessage(msg::KeyDown, 'A', true);
        EXPECT_TRUE(f.window.log.empty());
    }
}

TEST(FlashPlaybackTest, ExitAttempt) {
    struct Row {
        bool showCursor;
        bool password;
        CallLog log;
    };
    const Row rows[] = {
        {false, true, {"show cursor", "password (cursor)", "close"}},
        {false, false, {"show cursor", "password (cursor)"}},
        {true, true, {"show cursor", "password", "close"}},
        {true, false, {"show cursor", "password"}},
    };
    for (const Row& r : rows) {
        Show f;
        f.rt.Setting.ShowCursor = r.showCursor;
        f.window.passwordAnswer = r.password;
        f.rt.MouseMoveBudget = 0;
        f.playback.exitAttempt();
        EXPECT_EQ(f.window.log, r.log);
        EXPECT_EQ(f.rt.MouseMoveBudget, 20);
    }
}

TEST(FlashPlaybackTest, TwentyFirstMouseMoveOfAPeriodExits) {
    Show f;
    f.rt.Setting.MouseMove = true;
    f.start();
    for (int i = 0; i < 15; ++i) f.playback.onMessage(msg::MouseMove, 0, true);
    f.playback.mouseTimerTick();
    for (int i = 0; i < 20; ++i) f.playback.onMessage(msg::MouseMove, 0, true);
    EXPECT_EQ(f.window.closeRequests, 0);
    f.playback.onMessage(msg::MouseMove, 0, true);
    EXPECT_EQ(f.window.closeRequests, 1);
    EXPECT_EQ(f.rt.MouseMoveBudget, 20);
}

TEST(FlashPlaybackTest, ClickIsHandledKeyIsNot) {
    Show f;
    f.start();
    EXPECT_TRUE(f.playback.onMessage(msg::LButtonDown, 0, true));
    EXPECT_FALSE(f.playback.onMessage(msg::KeyDown, 'A', true));
    EXPECT_EQ(f.window.closeRequests, 2);
}

TEST(FlashPlaybackTest, CloseRequestsObeyTheExitRules) {
    for (bool escOnly : {false, true}) {
        SCOPED_TRACE(escOnly);
        Show f;
        f.rt.Setting.OnlyEscKeyExit = escOnly;
        f.start();
        f.playback.onCloseRequest(true);
        EXPECT_EQ(f.window.closeRequests, escOnly ? 0 : 1);
        EXPECT_EQ(f.count("password (cursor)"), escOnly ? 0 : 1);
        f.playback.onMessage(msg::KeyDown, msg::KeyEscape, true);
        EXPECT_EQ(f.window.closeRequests, escOnly ? 1 : 2);
    }
}

}  // namespace
}  // namespace saver
