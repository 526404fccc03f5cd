// `saverpack inspect FILE [--json] [--resolve]`: runs the start-up stages on FILE as if FILE were
// the running screensaver, in a temporary workspace of its own (no registry, no guard mutex),
// and reports what they made of it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace saver {

// Exit status: 0 done; 1 bad usage or FILE unreadable (the message names it); 2 start-up
// failed (its message is printed).
int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace saver
