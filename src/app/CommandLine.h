// Decoding of the command line Windows passes to a screensaver into the run state.
#pragma once

#include <string>
#include <vector>

namespace saver {

struct Runtime;

// Sets rt.RunMode, rt.ParentWindowHandle and rt.ReturnWindow from `args` (the arguments without
// the program name; only the first two are looked at):
//   none                      -> 1 (settings dialog)
//   first letter A + 2nd arg  -> 5, ParentWindowHandle := 2nd arg       (/a 4711)
//   first letter C            -> 2, ReturnWindow := foreground window   (/c, /c:4711, /config)
//   first letter P + 2nd arg  -> 4, ParentWindowHandle := 2nd arg       (/p 4711)
//   any other letter          -> 3, ReturnWindow := foreground window   (/s, -S, xs, /save)
// The first character of the first argument is dropped whatever it is; the letter after it is
// matched without regard to case. A or P without a second argument, and a first argument of
// fewer than two characters, leave run mode 1. A handle that is not a decimal integer becomes 0.
// Never fails.
void DecodeCommandLine(Runtime& rt, const std::vector<std::string>& args);

}  // namespace saver
