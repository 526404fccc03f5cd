// swfsoundtest: runs the sound conformance set (testdata/swf/swfdec-sound) against the built-in
// player's decoders and mixer.
//
//   swfsoundtest --data DIR [--known-failures FILE] [--write-known-failures FILE] [--quiet]
//
// DIR is the set's folder. Prints one line per case (PASS, FAIL, KNOWN, FIXED as swfreftest
// does) and the pass rate. Exit status 0 when no case off the known-failures list fails, 1 on a
// regression, 2 on bad usage.
#include <cstdio>
#include <string>

#include "reftest/KnownFailures.h"
#include "swfaudio/SoundCase.h"

int main(int argc, char** argv) {
    using namespace saver;
    std::string data, knownPath, writePath;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quiet") {
            quiet = true;
        } else if (i + 1 < argc && arg == "--data") {
            data = argv[++i];
        } else if (i + 1 < argc && arg == "--known-failures") {
            knownPath = argv[++i];
        } else if (i + 1 < argc && arg == "--write-known-failures") {
            writePath = argv[++i];
        } else {
            data.clear();
            break;
        }
    }
    if (data.empty()) {
        std::fputs(
            "usage: swfsoundtest --data DIR [--known-failures FILE] "
            "[--write-known-failures FILE] [--quiet]\n",
            stderr);
        return 2;
    }
    reftest::KnownFailures known(knownPath.empty() ? std::set<std::string>{}
                                                   : reftest::ReadKnownFailures(knownPath));
    int passed = 0, total = 0;
    for (const swfaudio::SoundCase& c : swfaudio::LoadSoundCases(data)) {
        const swfaudio::SoundCaseResult r = swfaudio::RunSoundCase(c);
        known.record(c.id(), r.passed, r.detail, quiet);
        passed += r.passed;
        ++total;
    }
    std::printf("swfdec-sound: %d / %d passed; %d regressions, %d known failures now passing\n",
                passed, total, known.regressions(), known.fixed());
    if (total == 0) std::printf("no cases found in %s\n", data.c_str());
    if (!writePath.empty())
        known.write(writePath, "Sound conformance cases the built-in player does not pass yet.");
    return known.regressions() == 0 && total > 0 ? 0 : 1;
}
