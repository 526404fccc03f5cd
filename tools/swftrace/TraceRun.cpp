#include "swftrace/TraceRun.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <vector>

#include "swf/avm1/LocalLoadPath.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/text/SystemFontSource.h"

namespace saver::swftrace {

namespace {

// The player's own action count per frame, and far more processor time: the longest finite
// scripts of the corpus (the *-properties listings) take about 10 s a frame in the sanitiser
// build on a busy machine, and a runaway one is still stopped inside the harness's 120 s.
constexpr std::uint64_t kTraceActionsPerFrame = 20'000'000;
constexpr std::chrono::milliseconds kTraceTimePerFrame{25'000};

const std::set<std::string> kDisplayNames = {"attachMovie",
                                             "createEmptyMovieClip",
                                             "duplicateMovieClip",
                                             "removeMovieClip",
                                             "swapDepths",
                                             "getBounds",
                                             "getRect",
                                             "hitTest",
                                             "localToGlobal",
                                             "globalToLocal",
                                             "getDepth",
                                             "setMask",
                                             "startDrag",
                                             "stopDrag",
                                             "lineTo",
                                             "beginFill",
                                             "moveTo",
                                             "curveTo",
                                             "lineStyle",
                                             "clear",
                                             "beginGradientFill",
                                             "endFill",
                                             "onEnterFrame",
                                             "createTextField",
                                             "TextField",
                                             "TextFormat",
                                             "Sound",
                                             "loadMovie",
                                             "loadMovieNum",
                                             "getNextHighestDepth",
                                             "getInstanceAtDepth",
                                             "attachBitmap",
                                             "BitmapData",
                                             "_x",
                                             "_y",
                                             "_xscale",
                                             "_yscale",
                                             "_rotation",
                                             "_alpha",
                                             "_visible",
                                             "_width",
                                             "_height",
                                             "_xmouse",
                                             "_ymouse",
                                             "onLoad",
                                             "onUnload",
                                             "Stage",
                                             "Button",
                                             "Key",
                                             "Mouse",
                                             "Selection",
                                             "Color",
                                             "Video",
                                             "NetStream",
                                             "NetConnection",
                                             "LocalConnection",
                                             "transform",
                                             "filters",
                                             "cacheAsBitmap",
                                             "blendMode",
                                             "scrollRect",
                                             "_droptarget",
                                             "_url",
                                             "_quality",
                                             "_highquality",
                                             "MovieClipLoader",
                                             "onPress",
                                             "onRelease",
                                             "onRollOver",
                                             "onMouseMove",
                                             "onMouseDown",
                                             "onKeyDown",
                                             "enabled",
                                             "useHandCursor",
                                             "tabIndex",
                                             "focusEnabled",
                                             "getURL",
                                             "_lockroot",
                                             "onData",
                                             "onClipEvent",
                                             "PrintJob",
                                             "ContextMenu",
                                             "Camera",
                                             "Microphone",
                                             "Accessibility",
                                             "attachAudio",
                                             "getTextExtent"};

// Tags whose characters or events the engine does not run yet: buttons, text, sound, video,
// clip events (PlaceObject2 with actions is detected by the names above only).
const std::set<std::uint16_t> kDisplayTags = {7, 34, 37, 11, 33, 14, 15, 18, 19, 45, 60};

void ScanNames(const std::vector<std::uint8_t>& bytes, std::set<std::string>& found) {
    std::string word;
    for (std::uint8_t b : bytes) {
        if (std::isalnum(b) || b == '_' || b == '$') {
            word += static_cast<char>(b);
        } else {
            if (!word.empty() && kDisplayNames.count(word)) found.insert(word);
            word.clear();
        }
    }
    if (!word.empty() && kDisplayNames.count(word)) found.insert(word);
}

void ScanTimeline(const swf::Timeline& timeline, std::set<std::string>& found) {
    for (const swf::Frame& frame : timeline.frames)
        for (const swf::FrameCommand& command : frame.commands)
            if (const auto* action = std::get_if<swf::DoAction>(&command))
                ScanNames(action->bytes, found);
}

}  // namespace

bool TouchesDisplay(const swf::Movie& movie) {
    for (const auto& [tag, count] : movie.skippedTags)
        if (kDisplayTags.count(tag)) return true;
    for (const auto& [id, character] : movie.dictionary)
        if (const auto* other = std::get_if<swf::UnsupportedCharacter>(&character))
            if (kDisplayTags.count(other->tagCode)) return true;
    std::set<std::string> found;
    ScanTimeline(movie.root, found);
    for (const auto& [id, character] : movie.dictionary)
        if (const auto* sprite = std::get_if<swf::Sprite>(&character))
            ScanTimeline(sprite->timeline, found);
    return !found.empty();
}

bool RunTrace(const std::string& moviePath, int frames, std::string& output, std::string& error,
              bool* touchesDisplay, const TraceEnvironment& environment) {
    std::ifstream in(moviePath, std::ios::binary);
    if (!in) {
        error = "cannot read " + moviePath;
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::shared_ptr<const swf::Movie> movie;
    try {
        movie = std::make_shared<const swf::Movie>(swf::ReadMovie(bytes));
    } catch (const swf::SwfError& e) {
        error = e.what();
        return false;
    }
    if (touchesDisplay) *touchesDisplay = TouchesDisplay(*movie);
    swf::avm1::ScriptRunner::Screen screen;
    if (environment.screenWidth > 0 && environment.screenHeight > 0)
        screen.width = environment.screenWidth, screen.height = environment.screenHeight;
    if (environment.screenDpi > 0) screen.dpi = environment.screenDpi;
    auto runner = std::make_unique<swf::avm1::ScriptRunner>(
        movie, [&output](const std::string& line) { output += line + "\n"; }, screen);
    if (environment.nowMs) {
        const double now = *environment.nowMs, offset = environment.utcOffsetMinutes * 60'000;
        runner->setCalendar({[now] { return now; }, [offset](double) { return offset; }});
    }
    // A trace must not depend on how fast the machine is: the per-frame processor-time limit
    // that keeps a screensaver responsive was reached by long but finite scripts in the
    // sanitiser build on a busy machine, so the runs give scripts more time.
    runner->interpreter().setBudget(kTraceActionsPerFrame, kTraceTimePerFrame);
    // Files the movie loads (LoadVars, XML) come from its own folder, as in the runtime.
    const std::string folder = moviePath.substr(0, moviePath.find_last_of('/') + 1);
    runner->interpreter().loadFile = [folder](const std::string& url, std::string& contents) {
        auto path = swf::avm1::LocalLoadPath("", url);
        if (!path) return false;
        std::replace(path->begin(), path->end(), '\\', '/');
        std::ifstream file(folder + *path, std::ios::binary);
        if (!file) return false;
        contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        return true;
    };
    if (environment.viewWidth > 0 && environment.viewHeight > 0)
        runner->input().setViewSize(environment.viewWidth, environment.viewHeight);
    const swf::avm1::ScriptRunner* scripts = runner.get();
    // Scripts measure device text in the system's fonts, as in the runtime.
    swf::MoviePlayer player(movie, std::move(runner), false, swf::MakeSystemFontSource());
    for (int i = 1; i < frames && !scripts->quitRequested(); ++i) player.tick();
    return true;
}

}  // namespace saver::swftrace
