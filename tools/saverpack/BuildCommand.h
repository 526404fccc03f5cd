// `saverpack build`: makes a finished screensaver from a runtime, a settings file and the files
// to pack. See UsageText() for the options.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace saver {

// Exit status: 0 written; 1 bad usage, an unreadable input or a refused layout (the message
// says which; no output file is left behind).
int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace saver
