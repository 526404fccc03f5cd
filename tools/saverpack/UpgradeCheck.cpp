#include "UpgradeCheck.h"

#include <algorithm>
#include <exception>
#include <map>
#include <memory>

#include "InspectReport.h"
#include "ScratchStartup.h"
#include "ToolPlatform.h"
#include "payload/MediaLists.h"
#include "payload/PayloadLayout.h"
#include "payload/Runtime.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

// What one start-up made of a file, in comparable form.
struct Seen {
    nlohmann::json summary;                          // payload state, settings, lists, entries
    std::map<std::string, std::string> itemOutcome;  // item name -> "ok" or the error
    std::vector<std::string> files;                  // workspace files to compare, sorted
};

Seen look(ScratchStartup& s, const std::vector<PackedRange>& items) {
    Runtime& rt = s.rt();
    s.run();
    const auto resolved = s.resolveFlashList();
    Seen seen;
    for (const PackedRange& item : items) {
        const auto name = ItemFileName(item.name);
        std::string outcome = "no file name";
        if (name) {
            try {
                ExtractPayloadItem(rt, item.name, rt.WorkspaceFolder + *name);
                outcome = rt.fs.fileExists(rt.WorkspaceFolder + *name) ? "ok" : "no file";
            } catch (const std::exception& e) {
                outcome = e.what();
            }
        }
        seen.itemOutcome[item.name] = outcome;
    }
    const nlohmann::json report = InspectReport(rt, true, resolved);
    // run_as_exe follows the file's extension, which the temporary new file does not share.
    seen.summary = {report["payload_present"], report["settings_member"], report["settings"],
                    report["lists"]};
    // Entries resolve to paths inside each file's own workspace: compare the file names.
    for (const ResolvedEntry& r : resolved)
        seen.summary.push_back({r.entry, r.ok, winpath::fileNameOf(r.path)});
    for (const FolderEntry& e : rt.fs.listFolder(rt.WorkspaceFolder)) {
        if (e.isFolder || text::sameText(e.name, rt.SettingsMemberName) ||
            text::sameText(e.name, rt.SettingsMemberName + "~"))
            continue;
        seen.files.push_back(e.name);
    }
    std::sort(seen.files.begin(), seen.files.end());
    return seen;
}

bool sameBytes(FileSystem& fs, const std::string& a, const std::string& b) {
    const auto fa = fs.openRead(a), fb = fs.openRead(b);
    if (!fa || !fb || fa->size() != fb->size()) return false;
    std::string ba(1 << 20, '\0'), bb(1 << 20, '\0');
    for (std::uint64_t at = 0; at < fa->size();) {
        const std::size_t na = fa->readAt(at, ba.data(), ba.size());
        const std::size_t nb = fb->readAt(at, bb.data(), na);
        if (na == 0 || nb != na || ba.compare(0, na, bb, 0, na) != 0) return false;
        at += na;
    }
    return true;
}

UpgradeCheckResult differs(std::string what) {
    return {false, std::move(what), 0};
}

}  // namespace

UpgradeCheckResult CheckUpgrade(ToolPlatform& platform, const std::string& oldProgram,
                                const std::string& newProgram,
                                const std::vector<PackedRange>& items) {
    ScratchStartup before(platform, oldProgram), after(platform, newProgram);
    if (!before.ready() || !after.ready()) return differs("cannot create a temporary folder");
    Seen old, now;
    try {
        old = look(before, items);
    } catch (const std::exception& e) {
        return differs(std::string("start-up fails on the old file: ") + e.what());
    }
    try {
        now = look(after, items);
    } catch (const std::exception& e) {
        return differs(std::string("start-up fails on the new file: ") + e.what());
    }
    if (old.summary != now.summary)
        return differs("settings, lists or movie entries differ between the old and the new file");
    for (const auto& [name, outcome] : old.itemOutcome)
        if (now.itemOutcome[name] != outcome)
            return differs("item \"" + name + "\": " + outcome + " in the old file, " +
                           now.itemOutcome[name] + " in the new one");
    if (old.files != now.files)
        return differs("start-up extracts other files from the new file than from the old one");
    UpgradeCheckResult r{true, {}, 0};
    for (const std::string& name : old.files) {
        if (!sameBytes(platform.fs(), before.rt().WorkspaceFolder + name,
                       after.rt().WorkspaceFolder + name))
            return differs("\"" + name + "\" comes out of the new file with other bytes");
        ++r.filesCompared;
    }
    return r;
}

}  // namespace saver
