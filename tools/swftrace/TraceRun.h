// RunTrace: plays a movie headless with the built-in player and its script engine and gives
// the trace() output, one line per trace, each ending in "\n".
//
// Frames are counted as swfrender counts them: frame 1 is shown at load; the run goes on until
// the Nth frame has been shown, or ends early after the frame in which a script sent
// fscommand("quit").
//
// `environment` is the machine the recording was made on: the view, the screen and the clock.
//
// Failure: returns false with `error` set when the file cannot be read or the reader refuses it.
#pragma once

#include <optional>
#include <string>

#include "swf/format/SwfMovie.h"

namespace saver::swftrace {

struct TraceEnvironment {
    // The size of the view (pixels) the movie is shown in (what Stage.width and height report
    // in "noScale" mode); 0: the movie's own.
    int viewWidth = 0, viewHeight = 0;
    // The screen System.capabilities reports; 0: the player's default.
    int screenWidth = 0, screenHeight = 0;
    double screenDpi = 0;
    // A clock standing still at this time (UTC milliseconds) for Date; unset: the system's.
    std::optional<double> nowMs;
    double utcOffsetMinutes = 0;  // local time minus UTC
};

bool RunTrace(const std::string& moviePath, int frames, std::string& output, std::string& error,
              bool* touchesDisplay = nullptr, const TraceEnvironment& environment = {});

// Whether a movie's scripts use display behaviour the script engine does not have yet:
// movie clip methods and properties beyond the timeline's, text fields, sound, buttons,
// clip events (names found in its action bytes, or tags of those kinds).
bool TouchesDisplay(const swf::Movie& movie);

}  // namespace saver::swftrace
