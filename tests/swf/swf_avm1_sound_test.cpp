// The Sound object: what scripts read back (on the movie's clock) and the commands the sound
// layer gets, including a clip's volume reaching sounds started inside it; and those commands
// played by MovieSound through the mixer.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/MovieSound.h"
#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {
namespace {

struct ClockHost : InterpreterHost {
    double now = 0;
    std::map<Object*, Object*> parents;
    void trace(const std::string&) override {}
    void fscommand(const std::string&, const std::string&) override {}
    double timerMs() override { return now; }
    void timelineGoto(Object*, int, bool) override {}
    void timelineGotoLabel(Object*, const std::string&, bool) override {}
    void timelineControl(Object*, int) override {}
    Value clipProperty(Object* clip, const std::string& name) override {
        const auto it = parents.find(clip);
        return name == "_parent" && it != parents.end() ? Value(it->second) : Value{};
    }
};

// One second of 44.1 kHz 16-bit mono, linked as "tone".
Movie ToneMovie() {
    Movie movie;
    movie.sounds[7] = DefinedSound{7, SoundFormat{SoundCodec::PcmLittleEndian, 3, true, false},
                                   44100, std::vector<std::uint8_t>(2 * 44100, 0x10)};
    movie.exports["tone"] = 7;
    return movie;
}

struct Fixture {
    Movie movie = ToneMovie();
    ClockHost host;
    Interpreter vm{8, host};
    Fixture() { vm.movie = &movie; }
    Value sound(const Value& target = Value{}) {
        const Value ctor = vm.getMember(vm.global(), "Sound");
        return target.isUndefined() ? vm.construct(ctor, {}) : vm.construct(ctor, {target});
    }
    Object* clip() {
        Object* c = vm.newObject();
        c->setKind(Object::Kind::Clip);
        return c;
    }
    Value call(const Value& s, const char* name, std::vector<Value> args = {}) {
        return vm.callMethod(s, name, args);
    }
};

TEST(SwfAvm1SoundTest, GettersFollowAttachStartAndTheClock) {
    Fixture f;
    const Value s = f.sound();
    struct Step {
        double at;
        const char* action;  // "" reads only
        Value duration, position;
    };
    const std::vector<Step> steps = {
        {0, "", Value{}, Value{}},      // nothing attached
        {0, "attach", 1000.0, 0.0},     // attached, not started
        {100, "start", 1000.0, 250.0},  // start(0.25, 2) at 100 ms... read at once
        {600, "", 1000.0, 750.0},       // 500 ms later
        {1100, "", 1000.0, 250.0},      // second loop
        {1900, "", 1000.0, 1000.0},     // both loops done (less the offset): its length
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.at);
        f.host.now = st.at;
        if (std::string(st.action) == "attach") f.call(s, "attachSound", {"tone"});
        if (std::string(st.action) == "start") f.call(s, "start", {0.25, 2});
        f.vm.pollSounds(st.at);
        EXPECT_EQ(f.call(s, "getDuration").isUndefined(), st.duration.isUndefined());
        if (st.duration.isNumber())
            EXPECT_EQ(f.call(s, "getDuration").asNumber(), st.duration.asNumber());
        if (st.position.isNumber())
            EXPECT_EQ(f.call(s, "getPosition").asNumber(), st.position.asNumber());
        if (st.position.isNumber())
            EXPECT_EQ(f.vm.getMember(s, "position").asNumber(), st.position.asNumber());
    }
    ASSERT_EQ(f.vm.soundCommands.size(), 1u);
    const SoundCommand& start = f.vm.soundCommands[0];
    EXPECT_EQ(start.kind, SoundCommand::Kind::Start);
    EXPECT_EQ(start.soundId, 7);
    EXPECT_EQ(start.offsetSeconds, 0.25);
    EXPECT_EQ(start.loops, 2);
    EXPECT_TRUE(f.vm.sounds.empty());  // completed
}

TEST(SwfAvm1SoundTest, OnSoundCompleteAndStop) {
    Fixture f;
    const Value s = f.sound();
    f.call(s, "attachSound", {"tone"});
    f.vm.setMember(s, "done", 0);
    static int completions = 0;
    completions = 0;
    f.vm.setMember(s, "onSoundComplete", f.vm.newFunction([](CallInfo&) -> Value {
        ++completions;
        return Value{};
    }));
    f.call(s, "start");
    f.vm.pollSounds(999);
    EXPECT_EQ(completions, 0);
    f.vm.pollSounds(1000);
    EXPECT_EQ(completions, 1);
    f.call(s, "start");
    f.call(s, "stop", {"tone"});  // stopped sounds never complete
    f.vm.pollSounds(5000);
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(f.vm.soundCommands.size(), 3u);
    EXPECT_EQ(f.vm.soundCommands[2].kind, SoundCommand::Kind::Stop);
    EXPECT_EQ(f.vm.soundCommands[2].channel, f.vm.soundCommands[1].channel);
    f.call(s, "stop");  // the global Sound stops everything
    EXPECT_EQ(f.vm.soundCommands.back().kind, SoundCommand::Kind::StopAll);
}

TEST(SwfAvm1SoundTest, VolumePanAndTransformPerClip) {
    Fixture f;
    Object* parent = f.clip();
    Object* child = f.clip();
    f.host.parents[child] = parent;
    const Value global = f.sound(), onParent = f.sound(parent), onChild = f.sound(child),
                onParentToo = f.sound(parent), notAClip = f.sound("nowhere");
    f.call(onChild, "attachSound", {"tone"});
    f.call(onChild, "start");
    f.call(global, "setVolume", {50});
    f.call(onParent, "setVolume", {50.7});
    EXPECT_EQ(f.call(onParentToo, "getVolume").asNumber(), 50);  // the clip's, shared
    EXPECT_EQ(f.call(onChild, "getVolume").asNumber(), 100);
    EXPECT_TRUE(f.call(notAClip, "getVolume").isUndefined());
    // The child's sound plays at global 50% times its parent's 50%.
    EXPECT_EQ(f.vm.soundCommands.back().kind, SoundCommand::Kind::Transform);
    EXPECT_DOUBLE_EQ(f.vm.soundCommands.back().transform.volume, 25);

    struct Row {
        double pan, ll, rr;
    };
    for (const Row& r : std::vector<Row>{{-30, 100, 70}, {40, 60, 100}, {0, 100, 100}}) {
        f.call(onChild, "setPan", {r.pan});
        EXPECT_EQ(f.call(onChild, "getPan").asNumber(), r.pan);
        const Value t = f.call(onChild, "getTransform");
        EXPECT_EQ(f.vm.getMember(t, "ll").asNumber(), r.ll);
        EXPECT_EQ(f.vm.getMember(t, "rr").asNumber(), r.rr);
        EXPECT_EQ(f.vm.soundCommands.back().transform.ll, r.ll);
    }
    Object* mix = f.vm.newObject();
    mix->put("lr", 100);
    mix->put("ll", 0);
    f.call(onChild, "setTransform", {mix});
    const Value t = f.call(onChild, "getTransform");
    EXPECT_EQ(f.vm.getMember(t, "lr").asNumber(), 100);
    EXPECT_EQ(f.vm.getMember(t, "ll").asNumber(), 0);
    EXPECT_EQ(f.vm.getMember(t, "rr").asNumber(), 100);  // not given: kept
}

TEST(SwfAvm1SoundTest, VolumeConversionFollowsTheSwfVersion) {
    const double nan = std::nan(""), inf = HUGE_VAL;
    struct Row {
        int version;
        double given, volume;
    };
    const std::vector<Row> rows = {{8, nan, 0},           {8, inf, 0},
                                   {8, 50.7, 50},         {8, 4294967346.0, 50},
                                   {9, nan, -2147483648}, {9, inf, -2147483648},
                                   {9, -20.9, -20},       {9, 2147483648.0, -2147483648}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.version << " " << r.given);
        ClockHost host;
        Interpreter vm{r.version, host};
        const Value s = vm.construct(vm.getMember(vm.global(), "Sound"), {});
        vm.callMethod(s, "setVolume", {r.given});
        EXPECT_EQ(vm.callMethod(s, "getVolume", {}).asNumber(), r.volume);
    }
}

// A load never finds its file here: the Sound reports onLoad(false) on the next timer pass,
// and from the load on it has a mix of its own, apart from its clip's.
TEST(SwfAvm1SoundTest, LoadSoundFailsAndKeepsItsOwnMix) {
    Fixture f;
    Object* clip = f.clip();
    const Value loaded = f.sound(clip), other = f.sound(clip);
    f.call(other, "setVolume", {25});
    static std::vector<Value> answers;
    answers.clear();
    f.vm.setMember(loaded, "onLoad", f.vm.newFunction([](CallInfo& c) -> Value {
        answers.push_back(c.arg(0));
        return Value{};
    }));
    f.call(loaded, "loadSound", {"missing.mp3", true});
    EXPECT_TRUE(answers.empty());  // not while the script runs
    f.vm.runTimers(0);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].isBool() && !answers[0].asBool(), true);
    EXPECT_EQ(f.call(loaded, "getVolume").asNumber(), 100);
    f.call(loaded, "setVolume", {10});
    EXPECT_EQ(f.call(other, "getVolume").asNumber(), 25);
    EXPECT_TRUE(f.vm.getMember(loaded, "id3").isUndefined());
    EXPECT_TRUE(f.call(loaded, "getDuration").isUndefined());
}

TEST(SwfAvm1SoundTest, CommandsPlayThroughTheMixer) {
    const Movie movie = ToneMovie();  // every sample 0x1010
    struct Row {
        SoundTransform transform;
        std::int16_t left, right;
    };
    const std::vector<Row> rows = {
        {{}, 0x1010, 0x1010},
        {{100, 0, 0, 100, 50}, 0x808, 0x808},
        {{0, 100, 0, 0, 100}, 0, 0x1010},  // left into the right channel only
    };
    for (const Row& r : rows) {
        AudioMixer mixer;
        MovieSound sound(movie, mixer);
        sound.onCommands({{SoundCommand::Kind::Start, 1, 7, 0, 1, r.transform}});
        std::vector<std::int16_t> out(2 * 100);
        mixer.render(out.data(), 100);
        EXPECT_EQ(out[100], r.left);
        EXPECT_EQ(out[101], r.right);
        sound.onCommands({{SoundCommand::Kind::Stop, 1, 0, 0, 1, {}}});
        EXPECT_EQ(mixer.size(), 0u);
    }
}

}  // namespace
}  // namespace saver::swf::avm1
