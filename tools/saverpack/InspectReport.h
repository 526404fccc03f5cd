// The machine-readable report of what start-up made of a finished screensaver: payload state,
// effective settings, the five media lists, the workspace files and, on request, how each movie
// entry resolved. Shared by `saverpack inspect --json` and the Wine end-to-end probes, so both
// describe a run in exactly the same shape.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace saver {

struct Runtime;

// One FlashList entry after ResolveMediaEntry: `entry` as listed, `path` as the call left it,
// `ok` its result.
struct ResolvedEntry {
    std::string entry;
    std::string path;
    bool ok = false;
};

// Builds
//   {"payload_present": bool, "run_as_exe": bool, "settings_member": string|null,
//    "settings": {key: value, ...}, "lists": {"PictureList": [...], ...},
//    "workspace": [{"name": string, "size": number}], "resolved": [...]}
// from the state start-up left in `rt`. "resolved" is present only when `resolved` is true.
// "settings_member" is null without a payload. Every text is converted from Windows-1252 to
// UTF-8; integers are numbers, switches booleans, `useeffects` a sorted array of numbers.
// The workspace listing holds the files (not sub-folders) of rt.WorkspaceFolder, sorted by name;
// a file whose size cannot be read is reported with size 0. Never throws for missing files.
nlohmann::json InspectReport(const Runtime& rt, bool resolved,
                             const std::vector<ResolvedEntry>& resolvedEntries);

}  // namespace saver
