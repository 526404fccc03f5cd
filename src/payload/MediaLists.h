// The five media lists built from the settings file's media sections, and the resolution of a
// media entry to a usable path or address (extracting packed items on first use).
#pragma once

#include <string>

#include "payload/SaverSetting.h"

namespace saver {

struct Runtime;

// Fills `list` from one media section; extracts auxiliary "(Resource) "/"(External) " entries
// when a payload is present. Errors of auxiliary extraction propagate (they end start-up).
void BuildMediaList(Runtime& rt, const std::string& section, MediaList& list);
// Builds all five lists in the order [Pictures], [Music], [Flash], [Video], [Web], then shuffles
// each list whose order setting is 2.
void BuildMediaLists(Runtime& rt);
// Puts the list into a uniformly random order (generator re-seeded from the clock).
void ShuffleList(Runtime& rt, MediaList& list);
// Turns the entry into the path or address to use; true when it can be used.
bool ResolveMediaEntry(Runtime& rt, std::string& entry);
// Points the entry at the workspace copy of a packed item, extracting it on first use; true
// when that file exists afterwards. Errors are swallowed.
bool ExtractToWorkspace(Runtime& rt, std::string& entry, const std::string& itemFileName);
// Copies one packed item out of the program file (raw, or through UnzipArchive). An item
// without a sane [zippos] range is silently not extracted. I/O and archive errors propagate.
void ExtractPayloadItem(Runtime& rt, const std::string& itemName, const std::string& destPath);
// If the entry begins with the prefix, returns the text after it (and with update, the entry
// becomes that text); otherwise returns the whole entry, unchanged.
std::string StripKindPrefix(std::string& entry, const std::string& prefix, bool update);

}  // namespace saver
