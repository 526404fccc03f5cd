// The check an upgraded screensaver must pass before it is kept: start-up, run on the old and
// on the new file, makes the same of both.
#pragma once

#include <string>
#include <vector>

namespace saver {

class ToolPlatform;
struct PackedRange;

struct UpgradeCheckResult {
    bool same = false;
    std::string difference;  // the first difference found, when !same
    std::size_t filesCompared = 0;
};

// Runs start-up on both files (Windows paths) in temporary workspaces, resolves every movie
// entry, extracts every packed item of `items` (by name), and compares: payload presence and
// settings member (not the .exe role, which follows the file name), every
// setting, the five lists, each entry's resolution, each item's extraction outcome, and every
// file of the two workspaces byte for byte, except the settings file and its archive copy
// (whose [zippos] values differ by design; the settings themselves are compared). Both
// workspaces are gone, and both files closed, when it returns. Never throws.
UpgradeCheckResult CheckUpgrade(ToolPlatform& platform, const std::string& oldProgram,
                                const std::string& newProgram,
                                const std::vector<PackedRange>& items);

}  // namespace saver
