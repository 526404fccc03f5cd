// Settling the program's names and folders, and reading/writing the settings file into/from
// TSaverSetting.
#pragma once

#include <set>
#include <string>

namespace saver {

struct Runtime;

// Sets MouseMoveBudget to 20, clears the five lists, and settles from rt.ProgramFilePath:
// - ProgramFolder: the program file's folder, ending with "\".
// - ProgramBaseName: the file name cut where the text of its extension first occurs ("My.scr
//   Saver.scr" gives "My"); for a short name (one with "~") the name the shell displays is
//   used, or the name itself when the shell gives none.
// - SettingsFilePath (only without a payload): ProgramFolder + ProgramBaseName + ".002".
// - BuilderFolder: the default value of HKCU "Software\Orvanta\" + ProgramBaseName + "\" when
//   that key exists, else that of "Software\Orvanta\KestroPro"; when that gives fewer than 3
//   characters (or neither key exists), "C:\Program Files\kestro\Screensaver Pro\" if it exists,
//   else "C:\Program Files\kestro\Screensaver\".
// Then opens the settings file into rt.SettingsFile once per runtime (a missing file gives an
// empty document). Never fails: what cannot be found takes its fallback.
void SettlePaths(Runtime& rt);
// Fills rt.Setting from the settings file, key by key in SettingKeys() order; a missing value or
// one that does not convert takes its default (Back_Image_Path's from rt.BuilderFolder).
void LoadSettings(Runtime& rt);
// Writes every key marked `written` back into the document (picture keys, then [Caption] with
// ForceHide first, then the rest in table order; booleans as "1"/"0") and replaces the settings
// file atomically. Keys not marked `written` keep what the document holds. A text value holding a
// line break cannot be stored and leaves the key as it was. Errors are swallowed: the file is
// then left as it was.
void SaveSettings(Runtime& rt);
std::set<int> ParseEffectList(const std::string& text);

}  // namespace saver
