// `saverpack upgrade OLD -o NEW [--runtime RUNTIME]`: moves the payload of a finished
// screensaver onto another runtime (by default the one that ships with saverpack).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace saver {

// Exit status: 0 written and verified; 1 bad usage, an unreadable input, a refused layout or a
// failed verification (the message names the problem; NEW is then neither created nor changed).
int RunUpgrade(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace saver
