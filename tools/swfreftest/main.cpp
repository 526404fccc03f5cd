// swfreftest: runs the reference image tests of testdata/swf against the built-in player.
//
//   swfreftest --data DIR [--known-failures FILE] [--write-known-failures FILE]
//              [--only TEXT] [--save DIR] [--quiet]
//
// Prints one line per test (PASS, FAIL, KNOWN for a listed known failure, FIXED for a listed
// one that now passes), then the pass rate per set (with the count for the tests whose movie
// holds scripts) and per feature. Exit status 0 when every test that is not a known failure
// passes, 1 when one of them fails (a regression), 2 on bad usage. A FIXED test does not fail
// the run: it is reported so it can be taken off the list.
// --write-known-failures writes the failures of this run as a new list.
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "reftest/KnownFailures.h"
#include "swfreftest/CaseRunner.h"
#include "swfreftest/ReferenceCase.h"

namespace {

using namespace saver::swfreftest;
using saver::reftest::KnownFailures;
using saver::reftest::ReadKnownFailures;

struct Options {
    std::string data;
    std::string knownFailures;
    std::string writeKnownFailures;
    std::string only;
    std::string saveDir;
    bool quiet = false;
};

struct Tally {
    int passed = 0;
    int total = 0;
    int scriptedPassed = 0;  // the same for the tests whose movie holds scripts
    int scripted = 0;

    void add(const CaseResult& r) {
        total++;
        passed += r.passed;
        scripted += r.scripted;
        scriptedPassed += r.passed && r.scripted;
    }
};

constexpr const char* kUsage =
    "usage: swfreftest --data DIR [--known-failures FILE] [--write-known-failures FILE]\n"
    "                  [--only TEXT] [--save DIR] [--quiet]\n";

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--quiet") {
            o.quiet = true;
        } else if (!hasValue) {
            return false;
        } else if (arg == "--data") {
            o.data = argv[++i];
        } else if (arg == "--known-failures") {
            o.knownFailures = argv[++i];
        } else if (arg == "--write-known-failures") {
            o.writeKnownFailures = argv[++i];
        } else if (arg == "--only") {
            o.only = argv[++i];
        } else if (arg == "--save") {
            o.saveDir = argv[++i];
        } else {
            return false;
        }
    }
    return !o.data.empty();
}

void PrintRates(const char* title, const std::map<std::string, Tally>& tallies, bool scripts) {
    std::printf("%s\n", title);
    for (const auto& [name, t] : tallies) {
        std::printf("  %-36s %4d / %-4d %5.1f%%", name.c_str(), t.passed, t.total,
                    t.total ? 100.0 * t.passed / t.total : 0.0);
        if (scripts) std::printf("  (scripts: %d of %d)", t.scriptedPassed, t.scripted);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    KnownFailures known(o.knownFailures.empty() ? std::set<std::string>{}
                                                : ReadKnownFailures(o.knownFailures));
    std::map<std::string, Tally> bySet, byFeature;
    for (const ReferenceCase& c : LoadReferenceCases(o.data)) {
        if (!o.only.empty() && c.id().find(o.only) == std::string::npos) continue;
        const CaseResult r = RunReferenceCase(c, o.saveDir);
        known.record(c.id(), r.passed, r.detail, o.quiet);
        bySet[c.set].add(r);
        for (const std::string& f : c.features) byFeature[f].add(r);
    }
    PrintRates("pass rate per set:", bySet, true);
    PrintRates("pass rate per feature (ruffle-visual manifest):", byFeature, false);
    std::printf("%d regressions, %d known failures now passing\n", known.regressions(),
                known.fixed());
    if (!o.writeKnownFailures.empty())
        known.write(o.writeKnownFailures,
                    "Reference tests the built-in player does not pass yet (set/name  # reason).");
    return known.regressions() == 0 ? 0 : 1;
}
