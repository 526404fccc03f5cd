// Bitmap benchmarks of the built-in player at 1920x1080: drawing the photo sample (a smoothed
// JPEG with alpha scaled to fill most of the screen, a turned repeating tile, a small bitmap at
// scale 1) once its bitmaps are decoded, at High (smoothed) and Low (nearest) quality; and
// decoding a 1920x1080 JPEG with an alpha plane, what a photo show pays once per picture.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/BitmapLibrary.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"
#include "swfwriter/PhotoMovie.h"
#include "swfwriter/SampleMovies.h"
#include "swfwriter/SwfWriter.h"

namespace saver::swf {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

double ThreadCpuMillis() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void BM_RenderPhotoFrame(benchmark::State& state) {
    auto movie = std::make_shared<const Movie>(ReadMovie(*swfwriter::BuildSample("photo")));
    MoviePlayer player(movie);
    Renderer renderer;
    BgraImage image;
    image.resize(kWidth, kHeight);
    const Matrix stage = StageTransform(movie->header.frameSize, kWidth, kHeight, 0);
    const Quality quality = state.range(0) ? Quality::High : Quality::Low;
    const std::vector<RenderItem> items = player.renderList();
    renderer.render(items, player.background(), stage, quality, image);  // decodes the bitmaps
    std::vector<double> millis;
    for (auto _ : state) {
        const double start = ThreadCpuMillis();
        renderer.render(items, player.background(), stage, quality, image);
        benchmark::DoNotOptimize(image.pixels.data());
        millis.push_back(ThreadCpuMillis() - start);
    }
    state.counters["median_ms"] = Percentile(millis, 0.5);
    state.counters["p95_ms"] = Percentile(millis, 0.95);
}
BENCHMARK(BM_RenderPhotoFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DecodeFullHdJpegWithAlpha(benchmark::State& state) {
    swfwriter::SwfWriter writer;
    writer.DefineBitsJpeg3(swfwriter::LandscapePicture(kWidth, kHeight, true), 85);
    writer.Root().ShowFrame();
    const Movie movie = ReadMovie(writer.Build());
    for (auto _ : state) {
        BitmapLibrary library(movie);
        benchmark::DoNotOptimize(library.find(1).get());
    }
}
BENCHMARK(BM_DecodeFullHdJpegWithAlpha)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace saver::swf

BENCHMARK_MAIN();
