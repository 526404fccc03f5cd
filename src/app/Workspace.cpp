#include "app/Workspace.h"

#include "payload/Runtime.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

// Classic glob matching with single-star backtracking: linear in practice, no recursion, so a
// hostile mask cannot blow the stack.
bool GlobMatch(const std::string& name, const std::string& mask) {
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

void DeleteAllFiles(FileSystem& fs, const std::string& folder) {
    if (!fs.folderExists(folder)) return;
    for (const std::string& name : ListFiles(fs, folder, "*.*", true)) {
        const std::string path = folder + name;
        fs.clearAttributes(path);  // so read-only files go too
        fs.deleteFile(path);
    }
}

}  // namespace

bool MatchesWildcard(const std::string& name, const std::string& mask) {
    const std::string upperName = text::upper(name);
    const std::string upperMask = text::upper(mask);
    if (GlobMatch(upperName, upperMask)) return true;
    // Windows lets a trailing ".*" match "no extension" as well ("*.*" lists "README").
    if (text::endsWith(upperMask, ".*") && upperName.find('.') == std::string::npos)
        return GlobMatch(upperName, upperMask.substr(0, upperMask.size() - 2));
    return false;
}

std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder,
                                   const std::string& mask, bool withExtension) {
    std::vector<std::string> names;
    const std::string base = winpath::withTrailingBackslash(folder);
    for (const FolderEntry& entry : fs.listFolder(base)) {
        if (entry.isFolder || entry.name == "." || entry.name == "..") continue;
        if (!MatchesWildcard(entry.name, mask)) continue;
        std::string name = entry.name;
        if (!withExtension) {
            const std::size_t dot = name.rfind('.');
            if (dot != std::string::npos) name.erase(dot);
        }
        names.push_back(std::move(name));
    }
    return names;
}

void PrepareWorkspace(Runtime& rt) {
    try {
        rt.WorkspaceFolder = winpath::withTrailingBackslash(rt.sys.tempPath()) + "Kestro\\";
        const std::string tmp = rt.WorkspaceFolder + "tmp";
        if (!rt.fs.folderExists(tmp)) rt.fs.createFolders(tmp);
    } catch (...) {
        // Nothing to report: extractions into a missing folder fail later and say so there.
    }
}

void ClearWorkspace(Runtime& rt) {
    // Without a workspace folder the "tmp\" below would be a relative path somewhere else.
    if (rt.WorkspaceFolder.empty()) return;
    const std::string workspace = winpath::withTrailingBackslash(rt.WorkspaceFolder);
    try {
        DeleteAllFiles(rt.fs, workspace);
    } catch (...) {
    }
    try {
        DeleteAllFiles(rt.fs, workspace + "tmp\\");
    } catch (...) {
    }
}

}  // namespace saver
