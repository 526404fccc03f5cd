// Settling the program's names and folders, and reading/writing the settings file into/from
// TSaverSetting.
#pragma once

#include <set>
#include <string>

namespace saver {

struct Runtime;

// Sets MouseMoveBudget to 20, clears the five lists, settles ProgramFolder, ProgramBaseName,
// SettingsFilePath (without a payload), BuilderFolder, and opens the settings file into memory.
// Never fails: what cannot be found takes its fallback.
void SettlePaths(Runtime& rt);
// Fills rt.Setting from the settings file; missing or unreadable values take their defaults.
void LoadSettings(Runtime& rt);
// Writes every stored key back into the document and replaces the settings file atomically.
// Errors are swallowed (the file is then left as it was).
void SaveSettings(Runtime& rt);
// "1,2,3" -> {1, 2}: only numbers followed by a comma count, only 0..151 are kept.
std::set<int> ParseEffectList(const std::string& text);

}  // namespace saver
