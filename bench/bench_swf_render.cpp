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

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "swf/MoviePlayer.h"
#include "swf/Renderer.h"
#include "swf/StageTransform.h"
#include "swf/SwfReader.h"

namespace saver::swf {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kWarmFrames = 4;

struct CorpusMovie {
    std::string path;
    std::unique_ptr<MoviePlayer> player;
    std::vector<double> millis;
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
            const auto start = std::chrono::steady_clock::now();
            const std::vector<RenderItem> items = m.player->renderList();
            renderer.render(items, m.player->background(),
                            StageTransform(m.player->movie().header.frameSize, kWidth, kHeight, 0),
                            Quality::High, image);
            benchmark::DoNotOptimize(image.pixels.data());
            m.millis.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::vector<double> perMovie;
    for (CorpusMovie& m : movies) perMovie.push_back(Percentile(m.millis, 0.5));
    const double median = Percentile(perMovie, 0.5);
    state.counters["movies"] = static_cast<double>(movies.size());
    state.counters["median_ms"] = median;
    state.counters["p95_ms"] = Percentile(perMovie, 0.95);
    state.counters["max_ms"] = Percentile(perMovie, 1.0);
    state.counters["median_fps"] = median > 0 ? 1000.0 / median : 0;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_RenderCorpusFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

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
