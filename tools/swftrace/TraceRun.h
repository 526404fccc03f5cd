// RunTrace: plays a movie headless with the built-in player and its script engine and gives
// the trace() output, one line per trace, each ending in "\n".
//
// Frames are counted as swfrender counts them: frame 1 is shown at load; the run goes on until
// the Nth frame has been shown, or ends early after the frame in which a script sent
// fscommand("quit").
//
// `viewWidth` x `viewHeight` (pixels), when given, is the size of the view the movie is shown
// in (what Stage.width and height report in "noScale" mode).
//
// Failure: returns false with `error` set when the file cannot be read or the reader refuses it.
#pragma once

#include <string>

#include "swf/format/SwfMovie.h"

namespace saver::swftrace {

bool RunTrace(const std::string& moviePath, int frames, std::string& output, std::string& error,
              bool* touchesDisplay = nullptr, int viewWidth = 0, int viewHeight = 0);

// Whether a movie's scripts use display behaviour the script engine does not have yet:
// movie clip methods and properties beyond the timeline's, text fields, sound, buttons,
// clip events (names found in its action bytes, or tags of those kinds).
bool TouchesDisplay(const swf::Movie& movie);

}  // namespace saver::swftrace
