// Payload benchmarks: copying a packed movie out of a finished screensaver, and start-up on a
// big finished screensaver against a small one.
//
// The finished screensavers are made with PayloadBuilder in a temporary folder (mapped as drive
// C:) before the first run and removed at exit. Memory is shown two ways: the largest single
// read and write that reached the file system, and the process's peak resident set so far
// (benchmarks run in the order listed, smallest first, so a size-dependent buffer would show as
// a jump).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <random>

#include "app/Startup.h"
#include "app/Workspace.h"
#include "payload/MediaLists.h"
#include "payload/PayloadBuilder.h"
#include "payload/PayloadLocator.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"
#include "platform/PosixFileSystem_posix.h"

namespace saver {
namespace {

constexpr std::size_t kMiB = 1 << 20;

}  // namespace

// The largest single allocation made through operator new while tracking is on (see the
// replacement operator new below): a buffer that grows with the item would show here directly.
bool gTrackAllocations = false;
std::size_t gLargestAllocation = 0;

namespace {

// Records the largest single read and write that pass through it.
class TrackingFileSystem : public PosixFileSystem {
  public:
    std::size_t largestRead = 0, largestWrite = 0;

    std::unique_ptr<InputFile> openRead(const std::string& path) override {
        auto inner = PosixFileSystem::openRead(path);
        if (!inner) return nullptr;
        struct In : InputFile {
            In(std::unique_ptr<InputFile> i, std::size_t& l) : in(std::move(i)), largest(l) {}
            std::uint64_t size() const override { return in->size(); }
            std::size_t readAt(std::uint64_t o, void* b, std::size_t c) override {
                largest = std::max(largest, c);
                return in->readAt(o, b, c);
            }
            std::unique_ptr<InputFile> in;
            std::size_t& largest;
        };
        return std::make_unique<In>(std::move(inner), largestRead);
    }
    std::unique_ptr<OutputFile> createFile(const std::string& path) override {
        auto inner = PosixFileSystem::createFile(path);
        if (!inner) return nullptr;
        struct Out : OutputFile {
            Out(std::unique_ptr<OutputFile> o, std::size_t& l) : out(std::move(o)), largest(l) {}
            void write(const void* d, std::size_t c) override {
                largest = std::max(largest, c);
                out->write(d, c);
            }
            void close() override { out->close(); }
            std::unique_ptr<OutputFile> out;
            std::size_t& largest;
        };
        return std::make_unique<Out>(std::move(inner), largestWrite);
    }
};

double PeakRssMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

// Writes `size` bytes of movie-like data ("CWS" and noise) in chunks, never holding it whole.
void WriteMovie(const std::string& hostPath, std::size_t size) {
    std::ofstream out(hostPath, std::ios::binary);
    std::mt19937 rng(7);
    std::string chunk(kMiB, '\0');
    for (std::size_t done = 0; done < size; done += chunk.size()) {
        for (char& c : chunk) c = static_cast<char>(rng() & 0xFF);
        if (done == 0) chunk.replace(0, 3, "CWS");
        out.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), size - done)));
    }
}

// One finished screensaver with a single packed movie of the given size, on drive C: of a
// temporary folder of its own.
class Saver {
  public:
    Saver(std::size_t movieSize, bool raw) {
        char pattern[] = "/tmp/bench-payload-XXXXXX";
        root_ = ::mkdtemp(pattern);
        fs.mapDrive('C', root_);
        std::filesystem::create_directories(root_ + "/in");
        std::filesystem::create_directories(root_ + "/savers");
        WriteMovie(root_ + "/in/movie.swf", movieSize);
        WriteMovie(root_ + "/in/runtime.scr", 2 * kMiB);  // noise: no marker in practice
        PosixFileSystem plain;
        plain.mapDrive('C', root_);
        PayloadBuilder b(plain);
        b.setRuntime(ByteSource::file("C:\\in\\runtime.scr"));
        b.setSettingsText("[Set]\r\nFlashSequence=0\r\n[Flash]\r\nmovie.swf=1\r\n");
        b.setMemberName("Bench.002");
        b.addItem({"movie.swf", ByteSource::file("C:\\in\\movie.swf"), raw});
        b.build(program());
        std::filesystem::remove(root_ + "/in/movie.swf");
        services.moduleName = program();
        services.temp = "C:\\temp\\";
    }
    ~Saver() { std::filesystem::remove_all(root_); }
    std::string program() const { return "C:\\savers\\Bench.scr"; }

    TrackingFileSystem fs;
    FakeServices services;

  private:
    std::string root_;
};

std::map<std::pair<std::size_t, bool>, std::unique_ptr<Saver>>& Savers() {
    static std::map<std::pair<std::size_t, bool>, std::unique_ptr<Saver>> savers;
    return savers;
}

Saver& SaverOf(std::size_t mib, bool raw) {
    auto& slot = Savers()[{mib, raw}];
    if (!slot) slot = std::make_unique<Saver>(mib * kMiB, raw);
    return *slot;
}

// ExtractPayloadItem of one movie into an empty workspace, as the first play of it does.
void ExtractMovie(benchmark::State& state, bool raw) {
    const auto mib = static_cast<std::size_t>(state.range(0));
    Saver& saver = SaverOf(mib, raw);
    Runtime rt(saver.fs, saver.services);
    PrepareWorkspace(rt);
    LocatePayload(rt);
    LoadEverything(rt);
    saver.fs.largestRead = saver.fs.largestWrite = 0;
    const std::string dest = rt.WorkspaceFolder + "movie.swf";
    gLargestAllocation = 0;
    gTrackAllocations = true;
    for (auto _ : state) {
        ClearWorkspace(rt);
        ExtractPayloadItem(rt, "movie.swf", dest);
    }
    gTrackAllocations = false;
    if (saver.fs.fileSize(dest) != mib * kMiB) state.SkipWithError("movie not extracted");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * mib * kMiB));
    state.counters["largest_read_KiB"] = static_cast<double>(saver.fs.largestRead) / 1024;
    state.counters["largest_write_KiB"] = static_cast<double>(saver.fs.largestWrite) / 1024;
    state.counters["largest_alloc_KiB"] = static_cast<double>(gLargestAllocation) / 1024;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    ClearWorkspace(rt);
}

void BM_ExtractRawMovie(benchmark::State& state) {
    ExtractMovie(state, true);
}
void BM_ExtractZippedMovie(benchmark::State& state) {
    ExtractMovie(state, false);
}

// LocatePayload + LoadEverything on a fresh workspace, as every start of the screensaver does.
void BM_StartUp(benchmark::State& state) {
    const auto mib = static_cast<std::size_t>(state.range(0));
    Saver& saver = SaverOf(mib, true);
    saver.fs.largestRead = 0;
    gLargestAllocation = 0;
    gTrackAllocations = true;
    for (auto _ : state) {
        Runtime rt(saver.fs, saver.services);
        PrepareWorkspace(rt);
        LocatePayload(rt);
        LoadEverything(rt);
        if (!rt.PayloadPresent || rt.Setting.FlashList.size() != 1)
            state.SkipWithError("payload not found");
        ClearWorkspace(rt);
    }
    gTrackAllocations = false;
    state.counters["largest_alloc_KiB"] = static_cast<double>(gLargestAllocation) / 1024;
    state.counters["file_MiB"] = static_cast<double>(mib + 2);
    // Includes the set-up, i.e. PayloadBuilder writing the file: it too copies in chunks.
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.counters["largest_read_KiB"] = static_cast<double>(saver.fs.largestRead) / 1024;
}

BENCHMARK(BM_ExtractRawMovie)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractZippedMovie)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUp)->Arg(1)->Arg(300)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace saver

void* operator new(std::size_t size) {
    if (saver::gTrackAllocations)
        saver::gLargestAllocation = std::max(saver::gLargestAllocation, size);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    saver::Savers().clear();  // removes the temporary folders
    return 0;
}
