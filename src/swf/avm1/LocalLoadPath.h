// LocalLoadPath: where a file a script loads (LoadVars.load("vars.txt")) lies, for a movie
// played from a folder. Only plain relative names inside the movie's folder are read: a
// network address, an absolute path, a drive or a ".." step gives nothing, so a movie can
// read its own files in the workspace and nothing else. A query ("?a=1") is dropped, and
// "/" becomes "\", as the path is a Windows one.
//
// Failure: std::nullopt for every URL that is not such a name.
#pragma once

#include <optional>
#include <string>

namespace saver::swf::avm1 {

// `folder` ends with "\" (or is empty: the current folder).
std::optional<std::string> LocalLoadPath(const std::string& folder, const std::string& url);

}  // namespace saver::swf::avm1
