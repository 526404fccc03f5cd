// Extraction speed of ZipExtractor next to Info-ZIP `unzip` on the same archives, in the same
// run: one large deflated member (made at start-up), and the historical methods on the shared
// test archives. The `unzip` cases run the command through std::system, so they include the
// start of a process; Unzip/startup (a one-byte stored archive) shows that fixed cost, and the
// small test archives are extracted many times per process to spread it.
//
// Run: cmake --preset host-release -B build/archive-release
//      ninja -C build/archive-release bench_archive && build/archive-release/bench/bench_archive
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "archive/ZipExtractor.h"
#include "archive/ZipWriter.h"
#include "platform/FakeServices.h"
#include "platform/PosixFileSystem_posix.h"

// The largest single allocation while the timed loop runs: extraction memory must not grow
// with member size.
namespace {
std::atomic<std::size_t> g_largestAlloc{0};
std::atomic<bool> g_tracking{false};
}  // namespace

void* operator new(std::size_t size) {
    if (g_tracking.load(std::memory_order_relaxed) && size > g_largestAlloc.load())
        g_largestAlloc = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

struct BenchArchive {
    std::string label;
    std::string hostPath;
    std::uint64_t plainBytes;
    bool unzipDecodes;  // Debian's unzip is built without reduce
    int copies;         // archives extracted per iteration
};

std::string g_root;  // scratch folder, mapped as C:

// Text-like data with long and short repeats, about 3:1 under deflate.
std::string MakeText(std::size_t size) {
    std::string s;
    s.reserve(size + 64);
    std::uint32_t x = 12345;
    while (s.size() < size) {
        x = x * 1664525u + 1013904223u;
        s += "token" + std::to_string(x >> 20) + ((x & 7) == 0 ? "\n" : " ");
    }
    s.resize(size);
    return s;
}

std::string MakeLargeArchive(std::size_t size) {
    const std::string path = g_root + "/large.zip";
    saver::ZipWriter w;
    w.add("large.txt", MakeText(size));
    std::ofstream(path, std::ios::binary) << w.finish();
    return path;
}

std::string MakeTinyArchive() {
    const std::string path = g_root + "/tiny.zip";
    saver::ZipWriter w;
    w.add("tiny.txt", "x", saver::ZipWriter::Method::Stored);
    std::ofstream(path, std::ios::binary) << w.finish();
    return path;
}

// Small archives are extracted kCopies times per iteration (through links to one file), and
// unzip gets them all in one run ("dir/*.zip"), so its process start is spread over them.
constexpr int kCopies = 100;

std::string CopiesFolder(const BenchArchive& a) {
    return g_root + "/copies-" + a.label;
}

void MakeCopies(const BenchArchive& a) {
    const std::string dir = CopiesFolder(a);
    std::system(("mkdir -p '" + dir + "'").c_str());
    for (int i = 0; i < a.copies; ++i)
        std::system(
            ("ln -sf '" + a.hostPath + "' '" + dir + "/" + std::to_string(i) + ".zip'").c_str());
}

std::string WindowsPath(const std::string& hostPath) {
    std::string p = "D:" + hostPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

void ExtractOurs(benchmark::State& state, const BenchArchive& a) {
    saver::PosixFileSystem fs;
    fs.mapDrive('C', g_root);
    fs.mapDrive('D', "/");
    fs.createFolders("C:\\ours");
    saver::FakeServices sys;
    saver::ZipExtractor extractor(fs, sys);
    std::vector<std::string> paths;
    for (int i = 0; i < a.copies; ++i)
        paths.push_back(WindowsPath(CopiesFolder(a) + "/" + std::to_string(i) + ".zip"));
    g_largestAlloc = 0;
    g_tracking = true;
    for (auto _ : state)
        for (const std::string& p : paths) extractor.extractAll(p, "C:\\ours\\");
    g_tracking = false;
    state.counters["largest_alloc_KiB"] = static_cast<double>(g_largestAlloc.load()) / 1024.0;
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * a.copies * a.plainBytes));
}

void ExtractUnzip(benchmark::State& state, const BenchArchive& a) {
    const std::string cmd =
        "unzip -o -qq '" + CopiesFolder(a) + "/*.zip' -d '" + g_root + "/unzip' >/dev/null 2>&1";
    for (auto _ : state)
        if (std::system(cmd.c_str()) == -1) state.SkipWithError("unzip did not run");
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * a.copies * a.plainBytes));
}

std::vector<BenchArchive> Archives() {
    const std::string legacy = SAVER_TESTDATA "/zip/legacy/";
    return {
        {"deflate-64MB", MakeLargeArchive(64u << 20), 64u << 20, true, 1},
        {"shrink", legacy + "SHRUNK.ZIP", 157, true, kCopies},
        {"shrink+reduce1", legacy + "Zip.reduce1.zip", 15498 + 45056 + 40372, false, kCopies},
        {"shrink+reduce2", legacy + "Zip.reduce2.zip", 15498 + 45056 + 40372, false, kCopies},
        {"shrink+reduce3", legacy + "Zip.reduce3.zip", 15498 + 45056 + 40372, false, kCopies},
        {"shrink+reduce4", legacy + "Zip.reduce4.zip", 15498 + 45056 + 40372, false, kCopies},
        {"implode-4K-2trees", legacy + "imploding-4Kdict-2trees.zip", 818, true, kCopies},
        {"implode-8K-3trees", legacy + "imploding-8Kdict-3trees.zip", 11560, true, kCopies},
        {"implode-all-kinds", legacy + "legacy_implode.zip", 8 * 19, true, kCopies},
        {"mixed-methods", legacy + "multizip.zip", 18804, false, kCopies},
        {"startup", MakeTinyArchive(), 1, true, 1},
    };
}

}  // namespace

int main(int argc, char** argv) {
    // tmpfs: the figures are about decoding, not about the disk under /tmp.
    char pattern[] = "/dev/shm/bench-archive-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    g_root = pattern;
    static const std::vector<BenchArchive> archives = Archives();
    for (const BenchArchive& a : archives) {
        MakeCopies(a);
        benchmark::RegisterBenchmark(("Ours/" + a.label).c_str(), ExtractOurs, a)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        if (a.unzipDecodes)
            benchmark::RegisterBenchmark(("Unzip/" + a.label).c_str(), ExtractUnzip, a)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + g_root + "'").c_str());
    return 0;
}
