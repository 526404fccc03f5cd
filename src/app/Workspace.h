// The private temporary folder every screensaver on this runtime unpacks into: the user's
// temporary folder + "Kestro\", with a sub-folder "tmp". Prepared at process start, emptied at
// process end (also when a second instance ends at once).
#pragma once

#include <string>
#include <vector>

namespace saver {

class FileSystem;
struct Runtime;

// Sets rt.WorkspaceFolder to rt.sys.tempPath() + "Kestro\" and creates it and its "tmp"
// sub-folder with any missing parent. Never fails: a folder that cannot be created makes the
// later extractions fail instead.
void PrepareWorkspace(Runtime& rt);

// Deletes every file (read-only, hidden and system ones included) directly inside the workspace
// folder and its "tmp" sub-folder. Other sub-folders, their contents and the folders themselves
// stay. Does nothing when rt.WorkspaceFolder is empty or missing. A file that cannot be deleted
// (one still open, say) stays. Never fails.
void ClearWorkspace(Runtime& rt);

// Names of the files (not sub-folders) directly inside `folder` whose name matches `mask`, in
// the order the file system lists them. The mask takes Windows wildcards: "*" any run of
// characters, "?" any one character, letters matched without regard to case; a mask ending in
// ".*" also matches names without an extension, so "*.*" matches every name. Without
// `withExtension` each name is cut before its last ".". A missing folder gives no names.
std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder,
                                   const std::string& mask, bool withExtension);

// True when `name` matches the Windows wildcard `mask` (rules as for ListFiles).
bool MatchesWildcard(const std::string& name, const std::string& mask);

}  // namespace saver
