// TraceCase: one trace test of the sets under testdata/swf: a movie, the frames to run and
// the trace output Flash Player wrote.
//
//   swfdec-trace/NAME-V.swf with NAME-V.swf.trace: 11 frames (load, then ten advances).
//   ruffle-avm1/NAME/test.swf with output.txt: num_frames (or num_ticks) of test.toml, and
//   the numbers test.toml lets differ from the recording (see TraceTolerance).
//
// Failure: a test without its expected output is skipped; an unreadable toml runs 1 frame.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "swftrace/TraceRun.h"
#include "swftrace/TraceTolerance.h"

namespace saver::swftrace {

struct TraceCase {
    std::string set;
    std::string name;
    std::string moviePath;
    std::string expectedPath;
    int frames = 1;
    int version = 0;     // the movie's SWF version
    std::string family;  // the name up to its first '-' (swfdec) or '_' (ruffle)
    // The expected output is the player's log file, where every carriage return a script
    // traced became a line break of its own ("a\r\nb" is three lines); swfdec's recordings
    // keep the traced bytes.
    bool logLines = false;
    // The log also holds the player's warnings ("Warning: Uncaught exception, ..."); swfdec's
    // recordings hold the traces alone.
    bool warnings = false;
    // The view, screen and clock of the machine the recording was made on.
    TraceEnvironment environment;
    // How far numbers may differ from the recording (Ruffle's [approximations]); none: exact.
    std::optional<TraceTolerance> tolerance;

    std::string id() const { return set + "/" + name; }
};

std::vector<TraceCase> LoadTraceCases(const std::string& swfDir);

// Line endings made "\n", and a missing final newline added, so outputs compare exactly.
std::string NormaliseTrace(const std::string& text);
// What the player's log makes of traced text: each carriage return a line break, each lone
// surrogate (a UTF-16 half without its partner) U+FFFD.
std::string LogLines(std::string text);
// The output without the lines the player writes as warnings ("Warning: ...").
std::string WithoutWarnings(const std::string& text);

}  // namespace saver::swftrace
