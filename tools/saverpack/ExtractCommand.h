// `saverpack extract FILE DIR`: takes a finished screensaver apart into a folder: the settings
// file and every other member of the settings archive, and every packed item (its own bytes, or
// the members of a zipped item), each under the file name start-up would give it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace saver {

// Exit status: 0 everything written; 1 bad usage, FILE unreadable or without a payload, DIR not
// creatable; 3 written, but some part was skipped (listed with the reason).
int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace saver
