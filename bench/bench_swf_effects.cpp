// Built-in player benchmarks for the movies that carry pictures and effects: the corpus movies
// (testdata/swf) that define bitmaps (DefineBits*, DefineBitsLossless*), morph shapes
// (DefineMorphShape, DefineMorphShape2), or place objects with filters, blend modes or bitmap
// caching. Each is drawn frame after frame at 1920x1080, High quality, from its fifth frame on,
// its bitmaps decoded beforehand as the runtime's loader decodes them (MoviePlayer::
// decodeBitmaps).
//
// BM_RenderEffectMovies times every frame on its own (thread CPU time: the machine is shared)
// and gives the median, 95th percentile and largest frame over all of them, overall and per
// kind of content, and the median over the movies of each movie's median frame.
#include <benchmark/benchmark.h>
#include <time.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"

namespace saver::swf {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kWarmFrames = 4;
constexpr int kFramesPerMovie = 12;

using Bytes = std::vector<std::uint8_t>;

// The tag codes of a movie's tag stream, sprites' streams included (uncompressed and zlib
// movies; others give none).
void ScanTags(const Bytes& b, std::size_t pos, std::size_t end, std::set<int>& codes) {
    while (pos + 2 <= end) {
        const unsigned header = b[pos] | b[pos + 1] << 8;
        pos += 2;
        std::size_t length = header & 0x3F;
        if (length == 0x3F) {
            if (pos + 4 > end) return;
            length = b[pos] | b[pos + 1] << 8 | b[pos + 2] << 16 | std::size_t{b[pos + 3]} << 24;
            pos += 4;
        }
        if (length > end - pos) return;
        const int code = static_cast<int>(header >> 6);
        codes.insert(code);
        if (code == 39 && length >= 4) ScanTags(b, pos + 4, pos + length, codes);
        pos += length;
    }
}

std::set<int> TagCodes(const Bytes& file) {
    std::set<int> codes;
    if (file.size() < 9) return codes;
    Bytes body;
    if (file[0] == 'F') {
        body.assign(file.begin() + 8, file.end());
    } else if (file[0] == 'C') {
        const uLong declared = file[4] | file[5] << 8 | file[6] << 16 | uLong{file[7]} << 24;
        body.resize(std::min<uLong>(declared, 64u << 20));
        z_stream z{};
        if (inflateInit(&z) != Z_OK) return codes;
        z.next_in = const_cast<Bytef*>(file.data() + 8);
        z.avail_in = static_cast<uInt>(file.size() - 8);
        z.next_out = body.data();
        z.avail_out = static_cast<uInt>(body.size());
        inflate(&z, Z_FINISH);
        body.resize(z.total_out);
        inflateEnd(&z);
    } else {
        return codes;
    }
    if (body.empty()) return codes;
    const std::size_t rectBytes = (5 + 4 * (body[0] >> 3) + 7) / 8;
    ScanTags(body, rectBytes + 4, body.size(), codes);
    return codes;
}

bool PlacesEffects(const Timeline& timeline) {
    for (const Frame& frame : timeline.frames)
        for (const FrameCommand& command : frame.commands)
            if (const auto* p = std::get_if<PlaceObject>(&command))
                if (p->filters || (p->blendMode && *p->blendMode >= 2) || p->cacheAsBitmap)
                    return true;
    return false;
}

struct EffectMovie {
    std::string name;
    std::unique_ptr<MoviePlayer> player;
    bool bitmaps = false, morphs = false, effects = false;
    std::vector<double> millis;
};

std::vector<EffectMovie>& Movies() {
    static std::vector<EffectMovie> movies = [] {
        std::vector<EffectMovie> out;
        // SAVER_BENCH_ONLY=TEXT keeps the movies whose path holds TEXT (for profiling one).
        const char* only = std::getenv("SAVER_BENCH_ONLY");
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(SAVER_TESTDATA "/swf")) {
            if (entry.path().extension() != ".swf") continue;
            if (only != nullptr && entry.path().string().find(only) == std::string::npos) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            const std::set<int> codes = TagCodes(bytes);
            EffectMovie m;
            m.name = entry.path().lexically_relative(SAVER_TESTDATA "/swf").string();
            for (int c : {6, 20, 21, 35, 36, 90}) m.bitmaps |= codes.count(c) > 0;
            m.morphs = codes.count(46) || codes.count(84);
            try {
                auto movie = std::make_shared<const Movie>(ReadMovie(bytes));
                m.effects = PlacesEffects(movie->root);
                for (const auto& [id, character] : movie->dictionary)
                    if (const auto* sprite = std::get_if<Sprite>(&character))
                        m.effects |= PlacesEffects(sprite->timeline);
                if (!m.bitmaps && !m.morphs && !m.effects) continue;
                m.player = std::make_unique<MoviePlayer>(movie);
                m.player->decodeBitmaps();  // as the runtime's loader does, before playing
                for (int i = 0; i < kWarmFrames; ++i) m.player->tick();
                out.push_back(std::move(m));
            } catch (const SwfError&) {
                // Movies the reader refuses are not part of the figure.
            }
        }
        return out;
    }();
    return movies;
}

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

void Report(benchmark::State& state, const std::string& prefix,
            const std::vector<const EffectMovie*>& movies) {
    std::vector<double> frames, medians;
    for (const EffectMovie* m : movies) {
        frames.insert(frames.end(), m->millis.begin(), m->millis.end());
        medians.push_back(Percentile(m->millis, 0.5));
    }
    state.counters[prefix + "movies"] = static_cast<double>(movies.size());
    state.counters[prefix + "median_ms"] = Percentile(frames, 0.5);
    state.counters[prefix + "p95_ms"] = Percentile(frames, 0.95);
    state.counters[prefix + "max_ms"] = Percentile(frames, 1.0);
    state.counters[prefix + "movie_median_ms"] = Percentile(medians, 0.5);
}

void BM_RenderEffectMovies(benchmark::State& state) {
    auto& movies = Movies();
    Renderer renderer;
    BgraImage image;
    image.resize(kWidth, kHeight);
    for (auto _ : state) {
        for (EffectMovie& m : movies) {
            for (int f = 0; f < kFramesPerMovie; ++f) {
                const double start = ThreadCpuMillis();
                const std::vector<RenderItem> items = m.player->renderList();
                renderer.render(
                    items, m.player->background(),
                    StageTransform(m.player->movie().header.frameSize, kWidth, kHeight, 0),
                    Quality::High, image);
                benchmark::DoNotOptimize(image.pixels.data());
                m.millis.push_back(ThreadCpuMillis() - start);
                m.player->tick();
            }
        }
    }
    std::vector<const EffectMovie*> all, bitmaps, morphs, effects;
    for (const EffectMovie& m : movies) {
        all.push_back(&m);
        if (m.bitmaps) bitmaps.push_back(&m);
        if (m.morphs) morphs.push_back(&m);
        if (m.effects) effects.push_back(&m);
    }
    // SAVER_BENCH_PER_MOVIE=1 lists each movie's median and largest frame on stderr.
    if (const char* list = std::getenv("SAVER_BENCH_PER_MOVIE"); list && *list == '1')
        for (const EffectMovie& m : movies)
            std::fprintf(stderr, "%8.2f %8.2f %c%c%c %s\n", Percentile(m.millis, 0.5),
                         Percentile(m.millis, 1.0), m.bitmaps ? 'b' : '-', m.morphs ? 'm' : '-',
                         m.effects ? 'e' : '-', m.name.c_str());
    Report(state, "", all);
    Report(state, "bitmap_", bitmaps);
    Report(state, "morph_", morphs);
    Report(state, "effect_", effects);
}
BENCHMARK(BM_RenderEffectMovies)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace saver::swf

BENCHMARK_MAIN();
