// Gotos from scripts: frame numbers as Flash Player wraps them, a goto past the last frame, and
// text that names a frame, a label or another clip's frame.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "swf/avm1/ClipMethods.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf_player_fixture.h"

namespace saver::swf::test {
namespace {

std::vector<std::uint8_t> Push(const std::string& s) {
    std::vector<std::uint8_t> r{0x96, static_cast<std::uint8_t>(s.size() + 2), 0, 0};
    r.insert(r.end(), s.begin(), s.end());
    r.push_back(0);
    return r;
}

std::vector<std::uint8_t> Trace(const std::string& s) {
    auto r = Push(s);
    r.push_back(0x26);
    return r;
}

// GotoFrame2 (stop) with a text argument.
std::vector<std::uint8_t> GotoText(const std::string& frame) {
    auto r = Push(frame);
    r.insert(r.end(), {0x9F, 1, 0, 0});
    return r;
}

std::string RunGoto(const std::string& frame, int ticks) {
    auto movie = MakeMovie(MakeTimeline({
        MakeFrame({Actions({Trace("frame 1"), GotoText(frame)})}),
        MakeFrame({Actions({Trace("frame 2")})}),
        MakeFrame({Actions({Trace("frame 3")})}, {"last"}),
    }));
    std::string out;
    auto runner = std::make_unique<avm1::ScriptRunner>(
        movie, [&](const std::string& line) { out += line + "\n"; });
    MoviePlayer player(movie, std::move(runner));
    for (int i = 0; i < ticks; ++i) player.tick();
    return out;
}

TEST(SwfGoto, FrameNumbersWrapAsFlashKeepsThem) {
    struct Case {
        std::int32_t frame;
        int bias, index;
    } cases[] = {
        {1, 0, 0},
        {3, 0, 2},
        {0, 0, -1},
        {-5, 0, -1},
        {INT32_MIN, 0, 65534},  // wraps to the largest frame number, 16 bits
        {65537, 0, 0},
        {2, 3, 4},
        {INT32_MIN + 1, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(avm1::GotoFrameIndex(c.frame, c.bias), c.index) << c.frame << " + " << c.bias;
}

TEST(SwfGoto, TextNamesFramesLabelsAndClips) {
    struct Case {
        const char* frame;
        const char* out;
    } cases[] = {
        {"3", "frame 1\nframe 3\n"},
        {"LAST", "frame 1\nframe 3\n"},     // labels match without case
        {"/:2", "frame 1\nframe 2\n"},      // the root's frame 2
        {"99", "frame 1\n"},                // past the end: the last frame, its script not run
        {"nothing", "frame 1\nframe 2\n"},  // no such label: the movie plays on
        {"2.5", "frame 1\nframe 2\n"},      // "2" is no clip: nothing happens
    };
    for (const Case& c : cases) EXPECT_EQ(RunGoto(c.frame, 1), c.out) << c.frame;
}

}  // namespace
}  // namespace saver::swf::test
