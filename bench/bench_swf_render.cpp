// Built-in player benchmarks: the time to draw one frame at 1920x1080, High quality, for every
// movie of the reference corpus (testdata/swf) that the reader accepts.
//
// BM_RenderCorpusFrame renders, per iteration, one frame of each movie in turn (the fifth frame,
// so timelines have placed their shapes) and times each movie separately; the counters give the
// median and 95th percentile over the corpus of the per-movie median times, the frames per
// second at the median, and the process's peak resident set (which includes every decoded movie
// held at once). BM_TimelineTick measures advancing all timelines by one frame without drawing.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"
#include "swfwriter/DemoMovie.h"

namespace saver::swf {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kWarmFrames = 4;

struct CorpusMovie {
    std::string path;
    std::unique_ptr<MoviePlayer> player;
    std::vector<double> millis;
    bool drawsShapes = false;
};

std::vector<CorpusMovie>& Corpus() {
    static std::vector<CorpusMovie> movies = [] {
        std::vector<CorpusMovie> out;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(SAVER_TESTDATA "/swf")) {
            if (entry.path().extension() != ".swf") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
            try {
                auto movie = std::make_shared<const Movie>(ReadMovie(bytes));
                auto player = std::make_unique<MoviePlayer>(movie);
                for (int i = 0; i < kWarmFrames; ++i) player->tick();
                out.push_back({entry.path().string(), std::move(player), {}});
            } catch (const SwfError&) {
                // Movies the reader refuses are not part of the figure.
            }
        }
        return out;
    }();
    return movies;
}

// CPU time of this thread in milliseconds: the build machine is shared, so wall time would
// count other processes' work.
double ThreadCpuMillis() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void BM_RenderCorpusFrame(benchmark::State& state) {
    auto& movies = Corpus();
    Renderer renderer;
    BgraImage image;
    image.resize(kWidth, kHeight);
    for (auto _ : state) {
        for (CorpusMovie& m : movies) {
            const double start = ThreadCpuMillis();
            const std::vector<RenderItem> items = m.player->renderList();
            m.drawsShapes = !items.empty();
            renderer.render(items, m.player->background(),
                            StageTransform(m.player->movie().header.frameSize, kWidth, kHeight, 0),
                            Quality::High, image);
            benchmark::DoNotOptimize(image.pixels.data());
            m.millis.push_back(ThreadCpuMillis() - start);
        }
    }
    std::vector<double> perMovie, drawing;
    for (CorpusMovie& m : movies) {
        perMovie.push_back(Percentile(m.millis, 0.5));
        if (m.drawsShapes) drawing.push_back(perMovie.back());
    }
    const double median = Percentile(perMovie, 0.5);
    state.counters["movies"] = static_cast<double>(movies.size());
    state.counters["median_ms"] = median;
    state.counters["p95_ms"] = Percentile(perMovie, 0.95);
    state.counters["max_ms"] = Percentile(perMovie, 1.0);
    state.counters["median_fps"] = median > 0 ? 1000.0 / median : 0;
    // The same over the movies whose frame holds at least one shape (the others only clear).
    state.counters["drawing_movies"] = static_cast<double>(drawing.size());
    state.counters["drawing_median_ms"] = Percentile(drawing, 0.5);
    state.counters["drawing_p95_ms"] = Percentile(drawing, 0.95);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_RenderCorpusFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

// The demo movie (gradient backdrop, a gradient circle, a stroked star, a see-through square),
// every frame of its loop in turn: a full-screen animation of the kind screensavers show.
void BM_RenderDemoMovie(benchmark::State& state) {
    auto movie = std::make_shared<const Movie>(ReadMovie(swfwriter::BuildDemoMovie({})));
    MoviePlayer player(movie);
    Renderer renderer;
    BgraImage image;
    image.resize(kWidth, kHeight);
    const Matrix stage = StageTransform(movie->header.frameSize, kWidth, kHeight, 0);
    const Quality quality = state.range(0) ? Quality::High : Quality::Low;
    std::vector<double> millis;
    for (auto _ : state) {
        const double start = ThreadCpuMillis();
        const std::vector<RenderItem> items = player.renderList();
        renderer.render(items, player.background(), stage, quality, image);
        benchmark::DoNotOptimize(image.pixels.data());
        millis.push_back(ThreadCpuMillis() - start);
        player.tick();
    }
    state.counters["median_ms"] = Percentile(millis, 0.5);
    state.counters["p95_ms"] = Percentile(millis, 0.95);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_RenderDemoMovie)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TimelineTick(benchmark::State& state) {
    auto& movies = Corpus();
    for (auto _ : state) {
        for (CorpusMovie& m : movies) m.player->tick();
    }
    state.counters["movies"] = static_cast<double>(movies.size());
}
BENCHMARK(BM_TimelineTick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace saver::swf

BENCHMARK_MAIN();
