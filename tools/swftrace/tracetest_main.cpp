// swftracetest: runs the trace reference tests of testdata/swf against the built-in player.
//
//   swftracetest --data DIR [--known-failures FILE] [--write-known-failures FILE]
//                [--skip-known-failures] [--only TEXT] [--shard K/N] [--save DIR] [--quiet]
//
// --skip-known-failures runs only the cases the list does not name (the pinned check of the
// test command; the pass rates it prints then cover those cases only). --shard K/N runs every
// Nth case starting with the Kth (1-based), so that N processes can share the set; the rates
// then cover that shard only. --save DIR writes the output of each failing case, as compared
// (line endings normalised), to DIR/<set>/<name>.txt beside which the expected file can be diffed.
//
// Each test runs in a child process (a crash or a hang fails that test only: a hang after two
// minutes of processor time, so that the verdict does not depend on how busy the machine is;
// a child that gets no processor time at all is given up after 15 minutes) and passes when its
// trace output equals Flash Player's exactly, line endings aside. Prints one line per test (PASS,
// FAIL, KNOWN, FIXED as swfreftest does), then the pass rates per set, per SWF version and per
// family, and per set for the tests whose scripts need no display behaviour the engine lacks. Exit
// status 0 when every test not on the known-failures list passes, 1 otherwise, 2 on bad usage.
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "reftest/KnownFailures.h"
#include "swftrace/TraceCase.h"
#include "swftrace/TraceRun.h"

namespace {

using namespace saver::swftrace;
using saver::reftest::Tally;

struct Options {
    std::string data, knownFailures, writeKnownFailures, only, save;
    bool quiet = false;
    bool skipKnownFailures = false;  // run only the cases the list does not name
    int shard = 0, shards = 1;       // run the cases whose index % shards == shard
};

struct Outcome {
    bool ran = false;
    bool touchesDisplay = false;
    std::string output;
    std::string problem;
};

// Runs the case in a child: the first byte says whether it touches display ('D') or not.
Outcome RunIsolated(const TraceCase& c) {
    Outcome o;
    int fds[2];
    if (pipe(fds) != 0) {
        o.problem = "pipe failed";
        return o;
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // The engine's own budget ends a runaway script long before this; the limit catches
        // hangs outside scripts. Processor time, not wall time: under load a run that needs
        // ten seconds of processor time can take minutes.
        const rlimit cpu{120, 130};
        setrlimit(RLIMIT_CPU, &cpu);
        std::string output, error;
        bool display = false;
        const bool ok = RunTrace(c.moviePath, c.frames, output, error, &display, c.environment);
        const std::string msg =
            std::string(display ? "D" : "-") + (ok ? "" : "\x01" + error) + output;
        std::size_t done = 0;
        while (done < msg.size()) {
            const ssize_t n = write(fds[1], msg.data() + done, msg.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string data;
    char buf[65536];
    bool timedOut = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int r = poll(&p, 1, 15 * 60 * 1000);
        if (r <= 0) {
            timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (timedOut || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU))
        o.problem = "timed out";
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        o.problem = "crashed";
    if (!data.empty()) {
        o.touchesDisplay = data[0] == 'D';
        data.erase(0, 1);
        if (!data.empty() && data[0] == '\x01') o.problem = "refused: " + data.substr(1);
    }
    o.ran = o.problem.empty();
    o.output = data;
    return o;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes what the case printed, as compared, for a diff against the expected file.
void SaveOutput(const std::string& dir, const TraceCase& c, const std::string& text) {
    const std::filesystem::path folder = std::filesystem::path(dir) / c.set;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::ofstream(folder / (c.name + ".txt"), std::ios::binary) << text;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quiet") {
            o.quiet = true;
            continue;
        }
        if (arg == "--skip-known-failures") {
            o.skipKnownFailures = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--data")
            o.data = value;
        else if (arg == "--known-failures")
            o.knownFailures = value;
        else if (arg == "--write-known-failures")
            o.writeKnownFailures = value;
        else if (arg == "--only")
            o.only = value;
        else if (arg == "--save")
            o.save = value;
        else if (arg == "--shard") {
            int k = 0, n = 0;
            char end = 0;
            if (std::sscanf(value.c_str(), "%d/%d%c", &k, &n, &end) != 2 || n < 1 || k < 1 || k > n)
                return false;
            o.shard = k - 1;
            o.shards = n;
        } else
            return false;
    }
    return !o.data.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fputs(
            "usage: swftracetest --data DIR [--known-failures FILE] "
            "[--write-known-failures FILE] [--skip-known-failures] [--only TEXT] [--shard K/N] "
            "[--save DIR] [--quiet]\n",
            stderr);
        return 2;
    }
    const auto known = o.knownFailures.empty() ? std::set<std::string>{}
                                               : saver::reftest::ReadKnownFailures(o.knownFailures);
    std::map<std::string, Tally> bySet, byVersion, byFamily, scriptOnly;
    std::vector<std::string> failures;
    int regressions = 0, fixed = 0;
    int index = -1;
    for (const TraceCase& c : LoadTraceCases(o.data)) {
        if (++index % o.shards != o.shard) continue;
        if (!o.only.empty() && c.id().find(o.only) == std::string::npos) continue;
        // The pinned run of the test command checks only what passed: a listed case mostly
        // fails slowly (scripts that loop until the budget stops them every frame).
        if (o.skipKnownFailures && known.count(c.id()) != 0) continue;
        const Outcome r = RunIsolated(c);
        const std::string output = c.warnings ? r.output : WithoutWarnings(r.output);
        const std::string compared = NormaliseTrace(c.logLines ? LogLines(output) : output);
        const std::string expected = NormaliseTrace(ReadText(c.expectedPath));
        const bool passed = r.ran && (c.tolerance ? c.tolerance->matches(compared, expected)
                                                  : compared == expected);
        if (!passed && !o.save.empty()) SaveOutput(o.save, c, compared);
        const bool listed = known.count(c.id()) != 0;
        std::string detail = passed ? "" : (r.problem.empty() ? "output differs" : r.problem);
        if (!passed && r.touchesDisplay) detail += " (display)";
        if (!passed && !listed) ++regressions;
        if (passed && listed) ++fixed;
        if (!passed) failures.push_back(c.id() + "  # " + detail);
        if (!o.quiet || (passed == listed))
            std::printf("%-5s %s%s%s\n", saver::reftest::Verdict(passed, listed), c.id().c_str(),
                        detail.empty() ? "" : ": ", detail.c_str());
        bySet[c.set].add(passed);
        byVersion[c.set + " v" + std::to_string(c.version)].add(passed);
        byFamily[c.set + "/" + c.family].add(passed);
        scriptOnly[c.set + (r.touchesDisplay ? " (display)" : " (script only)")].add(passed);
    }
    saver::reftest::PrintRates("pass rate per set:", bySet);
    saver::reftest::PrintRates("pass rate per set, by display use:", scriptOnly);
    saver::reftest::PrintRates("pass rate per SWF version:", byVersion);
    if (!o.quiet) saver::reftest::PrintRates("pass rate per family:", byFamily);
    std::printf("%d regressions, %d known failures now passing\n", regressions, fixed);
    if (!o.writeKnownFailures.empty()) {
        saver::reftest::WriteKnownFailures(
            o.writeKnownFailures,
            "Trace tests the built-in player does not pass yet (set/name  # reason).\n"
            "Written by swftracetest --write-known-failures; a test that starts passing is\n"
            "reported as FIXED and should be taken off this list.\n",
            failures);
    }
    return regressions == 0 ? 0 : 1;
}
