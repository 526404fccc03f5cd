// A scripted movie's frame at 1920x1080, split into its two costs: the tick (the timeline and
// the frame's scripts, with the script engine's collection after the frame) and the drawing
// (the render list built and rasterised, High quality), each measured as this thread's
// processor time so that other load on the machine does not count.
//
// BM_ScriptedFrame/NAME plays the movie from its first frame for as many frames as the
// benchmark asks; counters per frame: script_ms (tick), draw_ms (render list and renderer),
// actions (script actions run). The movies: swfgen's scriptclock (a clock whose hands the
// script redraws with the drawing API every frame, a spark duplicated every frame, two text
// fields tied to variables) and two corpus movies whose scripts run every frame.
// Figures: docs/performance.md.
#include <benchmark/benchmark.h>

#include <time.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"
#include "swf/text/SystemFontSource.h"
#include "swfwriter/SampleMovies.h"

namespace saver::swf {
namespace {

double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::shared_ptr<const Movie> Load(const std::string& source) {
    std::vector<std::uint8_t> bytes;
    if (source.starts_with("swfgen:")) {
        bytes = *swfwriter::BuildSample(source.substr(7));
    } else {
        std::ifstream in(std::string(SAVER_TESTDATA) + "/swf/" + source, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    return std::make_shared<const Movie>(ReadMovie(bytes));
}

void BM_ScriptedFrame(benchmark::State& state, const char* source) {
    const auto movie = Load(source);
    auto runner = std::make_unique<avm1::ScriptRunner>(movie, nullptr);
    avm1::ScriptRunner* scripts = runner.get();
    MoviePlayer player(movie, std::move(runner));
    player.setFontSource(MakeSystemFontSource());
    Renderer renderer;
    BgraImage image;
    image.resize(1920, 1080);
    const Matrix stage = StageTransform(movie->header.frameSize, 1920, 1080, 0);
    double scriptMs = 0, drawMs = 0;
    const std::uint64_t actionsBefore = scripts->interpreter().actionsRun();
    for (auto _ : state) {
        const double t0 = ThreadMs();
        player.tick();
        const double t1 = ThreadMs();
        const std::vector<RenderItem> items = player.renderList();
        renderer.render(items, player.background(), stage, Quality::High, image);
        benchmark::DoNotOptimize(image.pixels.data());
        const double t2 = ThreadMs();
        scriptMs += t1 - t0;
        drawMs += t2 - t1;
    }
    const auto frames = static_cast<double>(state.iterations());
    state.counters["script_ms"] = scriptMs / frames;
    state.counters["draw_ms"] = drawMs / frames;
    state.counters["actions"] =
        static_cast<double>(scripts->interpreter().actionsRun() - actionsBefore) / frames;
}
BENCHMARK_CAPTURE(BM_ScriptedFrame, scriptclock, "swfgen:scriptclock")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScriptedFrame, mouse_pos, "ruffle-avm1/mouse_pos/test.swf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScriptedFrame, movieclip_state_values,
                  "ruffle-avm1/movieclip_state_values/test.swf")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace saver::swf

BENCHMARK_MAIN();
