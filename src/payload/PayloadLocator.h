// Finding the payload a finished screensaver carries at the end of its own program file.
//
// Layout appended to the runtime by the builder: packed media items (at the absolute positions
// the settings file's [zippos] section gives), the 8-byte marker, the settings member name, "**",
// and a ZIP archive (PKWARE APPNOTE) that runs to the end of the file and holds the settings
// file under that member name. Marker and everything after it lie within the last
// PayloadWindowSize bytes of the file.
#pragma once

#include <cstddef>
#include <string>

namespace saver {

class FileSystem;
struct Runtime;

// Only this many bytes at the end of the program file are searched for the marker.
inline constexpr std::size_t PayloadWindowSize = 150000;

// The 8-byte marker that starts a payload. Built at run time so the runtime's own program file
// never holds those bytes (a bare runtime would otherwise be taken for a finished screensaver).
// Everything that writes or looks for the marker must use this function, never a literal.
std::string PayloadMarker();

// Reads the program file (rt.ProgramFilePath, or the main module's path when that is empty) and
// looks for the marker in its last PayloadWindowSize bytes (the whole file when it is shorter);
// the first occurrence counts.
//   No marker: PayloadPresent false, the program file is closed again, nothing is written.
//   Marker:    PayloadPresent true; RunAsExe true when the file's extension is ".EXE" in any
//              case; SettingsMemberName := text between marker and the first "**" (its bare file
//              name part); the archive after "**" is saved as workspace + member name + "~" and
//              every member is extracted into the workspace folder; SettingsFilePath :=
//              workspace + member name; rt.ProgramFileStream stays open for the packed items.
// Throws IoError when the program file cannot be opened or read or the archive copy cannot be
// written, and ZipError for a damaged archive; start-up reports these and ends.
void LocatePayload(Runtime& rt);

// Writes `bytes` to `path`, creating the file or replacing an existing one. Does nothing at all
// when `bytes` is empty (an existing file is then left as it is). Throws IoError on failure.
void SaveBytesToFile(FileSystem& fs, const std::string& path, const std::string& bytes);

}  // namespace saver
