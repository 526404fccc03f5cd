// Benchmarks of the script engine: script-heavy corpus movies played frame by frame (time per
// frame, actions per second) and a tight loop of arithmetic and variable actions.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "swf/avm1/NullInterpreterHost.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"

namespace {

using namespace saver::swf;

std::shared_ptr<const Movie> Load(const std::string& relative) {
    std::ifstream in(std::string(SAVER_TESTDATA) + "/swf/" + relative, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return std::make_shared<const Movie>(ReadMovie(bytes));
}

// Plays a movie for 11 frames per iteration (load, then ten frames), trace output dropped.
void BM_ScriptMovie(benchmark::State& state, const char* movie) {
    const auto m = Load(movie);
    std::uint64_t actions = 0, frames = 0;
    for (auto _ : state) {
        auto runner = std::make_unique<avm1::ScriptRunner>(m, nullptr);
        avm1::ScriptRunner* scripts = runner.get();
        MoviePlayer player(m, std::move(runner));
        for (int i = 1; i < 11; ++i) player.tick();
        actions += scripts->interpreter().actionsRun();
        frames += 11;
    }
    state.counters["actions_per_s"] =
        benchmark::Counter(static_cast<double>(actions), benchmark::Counter::kIsRate);
    state.counters["ms_per_frame"] =
        benchmark::Counter(static_cast<double>(frames) / 1000.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_ScriptMovie, array_sort_on, "swfdec-trace/array-sort-on-options-8.swf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScriptMovie, string_to_number, "swfdec-trace/string-to-number-8.swf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScriptMovie, add2, "ruffle-avm1/add2/test.swf")->Unit(benchmark::kMillisecond);

// i = 0; while (i < 100000) { s = s + i * 2; i++; }
std::vector<std::uint8_t> LoopBlock() {
    std::vector<std::uint8_t> b;
    auto push = [&](std::vector<std::uint8_t> payload) {
        b.push_back(0x96);
        b.push_back(static_cast<std::uint8_t>(payload.size()));
        b.push_back(0);
        b.insert(b.end(), payload.begin(), payload.end());
    };
    auto str = [](char c) { return std::vector<std::uint8_t>{0, static_cast<std::uint8_t>(c), 0}; };
    auto num = [](std::int32_t n) {
        const auto u = static_cast<std::uint32_t>(n);
        return std::vector<std::uint8_t>{7, std::uint8_t(u), std::uint8_t(u >> 8),
                                         std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
    };
    push(str('i')), push(num(0)), b.push_back(0x1D);
    push(str('s')), push(num(0)), b.push_back(0x1D);
    const std::size_t top = b.size();
    push(str('i')), b.push_back(0x1C), push(num(100000)), b.push_back(0x48), b.push_back(0x12);
    const std::size_t branch = b.size();
    b.insert(b.end(), {0x9D, 2, 0, 0, 0});
    push(str('s')), push(str('s')), b.push_back(0x1C), push(str('i')), b.push_back(0x1C);
    push(num(2)), b.push_back(0x0C), b.push_back(0x47), b.push_back(0x1D);
    push(str('i')), push(str('i')), b.push_back(0x1C), b.push_back(0x50), b.push_back(0x1D);
    const auto back = static_cast<std::int16_t>(top - (b.size() + 5));
    b.insert(b.end(), {0x99, 2, 0, std::uint8_t(back), std::uint8_t(back >> 8)});
    const auto skip = static_cast<std::int16_t>(b.size() - (branch + 5));
    b[branch + 3] = std::uint8_t(skip);
    b[branch + 4] = std::uint8_t(skip >> 8);
    return b;
}

void BM_ActionLoop(benchmark::State& state) {
    avm1::NullInterpreterHost host;
    avm1::Interpreter vm(8, host);
    avm1::Object* clip = vm.newObject();
    const auto code = LoopBlock();
    for (auto _ : state) {
        vm.runBlock(code, clip);
        vm.endFrame({clip});
    }
    state.counters["actions_per_s"] =
        benchmark::Counter(static_cast<double>(vm.actionsRun()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ActionLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
