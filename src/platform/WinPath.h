// Windows path rules as plain string functions, the same on every build.
#pragma once

#include <string>

namespace saver::winpath {

// Folder part including its trailing "\" or ":" ("C:\a\b.scr" -> "C:\a\"); "" when none.
std::string folderOf(const std::string& path);
// Text after the last "\" or ":" (the whole text when there is none).
std::string fileNameOf(const std::string& path);
// Text after the last "\", "/" or ":" (ZIP member names may use either slash).
std::string bareNameOf(const std::string& path);
// Extension of the file name part, from its last "." (dot included); "" when none.
std::string extensionOf(const std::string& path);
std::string withTrailingBackslash(const std::string& folder);
std::string withoutTrailingBackslash(const std::string& folder);

}  // namespace saver::winpath
