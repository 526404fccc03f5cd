#include "InspectReport.h"

#include <algorithm>
#include <type_traits>
#include <variant>

#include "payload/Runtime.h"
#include "payload/SaverSetting.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace saver {
namespace {

using nlohmann::json;

// The core keeps all text in the ANSI code page; JSON must be UTF-8.
json utf8(const std::string& ansi) {
    return text::cp1252ToUtf8(ansi);
}

json textArray(const MediaList& list) {
    json out = json::array();
    for (const auto& entry : list) out.push_back(utf8(entry));
    return out;
}

// Every key of the settings table by name, with the value start-up settled on.
json settingsObject(const SaverSetting& s) {
    json out = json::object();
    for (const SettingKey& key : SettingKeys()) {
        out[key.name] = std::visit(
            [](const auto& v) -> json {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>)
                    return utf8(v);
                else
                    return json(v);  // useeffects comes as a sorted vector already
            },
            key.value(s));
    }
    return out;
}

json workspaceArray(const Runtime& rt) {
    json out = json::array();
    if (rt.WorkspaceFolder.empty()) return out;
    std::vector<FolderEntry> entries = rt.fs.listFolder(rt.WorkspaceFolder);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const auto& e : entries) {
        if (e.isFolder) continue;
        auto size = rt.fs.fileSize(rt.WorkspaceFolder + e.name);
        out.push_back({{"name", utf8(e.name)}, {"size", size.value_or(0)}});
    }
    return out;
}

}  // namespace

nlohmann::json InspectReport(const Runtime& rt, bool resolved,
                             const std::vector<ResolvedEntry>& resolvedEntries) {
    json report = json::object();
    report["payload_present"] = rt.PayloadPresent;
    report["run_as_exe"] = rt.RunAsExe;
    report["settings_member"] = rt.PayloadPresent ? utf8(rt.SettingsMemberName) : json(nullptr);
    report["settings"] = settingsObject(rt.Setting);
    report["lists"] = {{"PictureList", textArray(rt.Setting.PictureList)},
                       {"MusicList", textArray(rt.Setting.MusicList)},
                       {"FlashList", textArray(rt.Setting.FlashList)},
                       {"VideoList", textArray(rt.Setting.VideoList)},
                       {"WebList", textArray(rt.Setting.WebList)}};
    report["workspace"] = workspaceArray(rt);
    if (resolved) {
        json items = json::array();
        for (const auto& r : resolvedEntries)
            items.push_back({{"entry", utf8(r.entry)}, {"path", utf8(r.path)}, {"ok", r.ok}});
        report["resolved"] = std::move(items);
    }
    return report;
}

}  // namespace saver
