// Stand-ins for the player control and the full-screen window, for the playback tests.
//
// FakePlayer plays scripted movies: each tick's FrameNum read advances the movie loaded last,
// following the script for its file name. FakeWindow records every side effect, and both write
// into one shared log so the tests can check the order of calls across them.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinPath.h"
#include "player/PlaybackHost.h"
#include "player/PlayerControl.h"
#include "player/PlayerInput.h"

namespace saver::testing {

using CallLog = std::vector<std::string>;

struct MovieScript {
    enum Kind { Loops, Stalls, Overruns, Missing };
    Kind kind = Loops;
    int total = 5;       // TotalFrames
    int loadTicks = 0;   // reads answered with -1 before the first frame
    int stallFrame = 2;  // Stalls: the frame it stays on
};

class FakePlayer : public PlayerControl {
  public:
    FakePlayer(CallLog& log, const std::map<std::string, MovieScript>& scripts)
        : log_(log), scripts_(scripts) {}
    ~FakePlayer() override { log_.push_back("player destroyed"); }

    void setBackgroundColor(std::int32_t rgb) override { set("BackgroundColor", rgb); }
    void setQuality(std::int32_t q) override { set("Quality", q); }
    void setAlignMode(std::int32_t mode) override { set("AlignMode", mode); }
    void setScaleMode(std::int32_t mode) override { set("ScaleMode", mode); }

    std::string movie() override {
        fail("Movie");
        return movie_;
    }
    void setMovie(const std::string& location) override {
        log_.push_back("Movie := " + location);
        fail("Movie :=");
        movie_ = location;
        reads_ = 0;
        ++loads;
    }
    void rewind() override {
        log_.push_back("Rewind");
        fail("Rewind");
        reads_ = 0;
    }
    void play() override {
        log_.push_back("Play");
        fail("Play");
        ++loads;
    }
    std::int32_t frameNum() override {
        fail("FrameNum");
        const MovieScript s = script();
        const int t = reads_++;
        if (s.kind == MovieScript::Missing || t < s.loadTicks) return -1;
        const int played = t - s.loadTicks;
        switch (s.kind) {
            case MovieScript::Loops:
                return played % s.total;
            case MovieScript::Stalls:
                return std::min(played, s.stallFrame);
            default:
                return played;  // Overruns: runs on past its last frame
        }
    }
    void input(const PlayerInput& in) override {
        log_.push_back("input " + std::to_string(static_cast<int>(in.kind)) + " " +
                       std::to_string(in.x) + "," + std::to_string(in.y) + " key " +
                       std::to_string(in.keyCode));
    }
    std::int32_t totalFrames() override {
        fail("TotalFrames");
        return script().total;
    }

    bool setSoundMuted(bool muted) override {
        if (!ownSound) return false;
        log_.push_back(muted ? "player muted" : "player unmuted");
        return true;
    }

    bool ownSound = false;  // a player with its own sound output (the built-in one)
    int loads = 0;          // setMovie, or Rewind+Play
    std::string failing;    // a call name that throws PlayerError
    std::map<std::string, std::int32_t> properties;

  private:
    void set(const std::string& name, std::int32_t value) {
        fail(name);
        properties[name] = value;
    }
    void fail(const std::string& name) {
        if (failing == name) throw PlayerError(name + " failed");
    }
    MovieScript script() const {
        auto it = scripts_.find(winpath::bareNameOf(movie_));
        return it == scripts_.end() ? MovieScript{} : it->second;
    }

    CallLog& log_;
    const std::map<std::string, MovieScript>& scripts_;
    std::string movie_;
    int reads_ = 0;
};

class FakeWindow : public PlaybackHost {
  public:
    std::unique_ptr<PlayerControl> createPlayer() override {
        log.push_back("create player");
        if (!playerAvailable) return nullptr;
        auto p = std::make_unique<FakePlayer>(log, scripts);
        p->failing = failingCall;
        p->ownSound = playerOwnSound;
        player = p.get();
        return p;
    }
    void setPlaybackTimer(bool on) override {
        timerOn = on;
        log.push_back(on ? "timer on" : "timer off");
    }
    void setSaverRunning(bool running) override {
        saverRunning = running;
        if (!running) log.push_back("saver flag 0");
    }
    void showCursor(bool show) override {
        cursorCount += show ? 1 : -1;
        if (show) log.push_back("show cursor");
    }
    void hideWindow() override { log.push_back("hide"); }
    void closeWindow() override {
        ++closeRequests;
        log.push_back("close");
    }
    void openAddress(const std::string& address) override { log.push_back("open " + address); }
    bool verifySaverPassword(bool handleCursor) override {
        log.push_back(handleCursor ? "password (cursor)" : "password");
        return passwordAnswer;
    }
    void destroyCovers() override { log.push_back("destroy covers"); }
    void muteWaveOut(bool on) override { log.push_back(on ? "mute" : "unmute"); }
    void terminate() override { log.push_back("terminate"); }

    CallLog log;
    std::map<std::string, MovieScript> scripts;  // by name after the last "\", "/" or ":"
    bool playerAvailable = true;
    bool playerOwnSound = false;  // given to every player made
    std::string failingCall;      // given to every player made
    bool passwordAnswer = true;
    FakePlayer* player = nullptr;  // the last one made; freed by formClose
    bool timerOn = false;
    bool saverRunning = false;
    int cursorCount = 0;  // ShowCursor's display counter, 0 at start
    int closeRequests = 0;
};

}  // namespace saver::testing
