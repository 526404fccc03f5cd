#include "InspectText.h"

#include <algorithm>
#include <exception>
#include <iomanip>
#include <optional>
#include <ostream>
#include <variant>

#include "ToolPlatform.h"
#include "payload/MediaLists.h"
#include "payload/PayloadLayout.h"
#include "payload/Runtime.h"
#include "payload/SaverSetting.h"
#include "platform/FileSystem.h"

namespace saver {
namespace {

std::string console(const std::string& ansi) {
    return ToolPlatform::consoleFromAnsi(ansi);
}

std::string valueText(const SettingValue& v) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>) {
                std::string quoted = "\"";  // in steps: GCC 12 misreads "x" + string
                quoted += console(x);
                quoted += "\"";
                return quoted;
            } else if constexpr (std::is_same_v<T, bool>) {
                return x ? "1" : "0";
            } else if constexpr (std::is_same_v<T, std::vector<int>>) {
                std::string s;
                for (int n : x) s += std::to_string(n) + ",";
                return s;
            } else {
                return std::to_string(x);
            }
        },
        v);
}

void printPayload(std::ostream& out, const std::string& shownName, const PayloadLayout& l) {
    out << shownName << ": finished screensaver, " << l.fileSize << " bytes\n";
    out << "  runtime:  bytes 0.." << l.runtimeEnd
        << (l.items.empty() ? " (up to the payload marker; nothing packed)\n"
                            : " (up to the first packed item)\n");
    out << "  payload:  marker at " << l.markerOffset << ", settings member \""
        << console(l.memberName) << "\", settings archive at " << l.archiveOffset << " ("
        << l.archive.size() << " bytes)\n";
    for (const ArchiveMember& m : l.members) {
        out << "    member " << console(m.rawName);
        if (m.problem.empty())
            out << " (" << m.bytes.size() << " bytes)";
        else
            out << " (cannot be read: " << m.problem << ")";
        out << (l.settingsMember && &m == &l.members[*l.settingsMember] ? "  settings file\n"
                                                                        : "\n");
    }
    if (!l.settingsMember) out << "  the settings archive holds no settings file: defaults apply\n";
}

void printChangedSettings(std::ostream& out, const Runtime& rt) {
    const SaverSetting defaults = DefaultSettings(rt.BuilderFolder);
    std::vector<std::string> lines;
    for (const SettingKey& key : SettingKeys()) {
        const std::string now = valueText(key.value(rt.Setting));
        const std::string was = valueText(key.value(defaults));
        if (now != was)
            lines.push_back(std::string(key.name) + " = " + now + "  (default " + was + ")");
    }
    out << "settings that differ from the defaults:" << (lines.empty() ? " none" : "") << "\n";
    for (const auto& line : lines) out << "  " << line << "\n";
}

void printLists(std::ostream& out, const nlohmann::json& lists) {
    out << "media lists:\n";
    for (const char* name : {"FlashList", "PictureList", "MusicList", "VideoList", "WebList"}) {
        const auto& list = lists[name];
        if (list.empty() && std::string(name) != "FlashList") continue;
        out << "  " << name << " (" << list.size() << ")";
        const char* sep = ": ";
        for (const auto& e : list) {
            out << sep << e.get<std::string>();
            sep = ", ";
        }
        out << "\n";
    }
}

// Extracts the item as start-up would and says whether its file came out.
std::string resolveItem(Runtime& rt, const PackedRange& item) {
    const std::optional<std::string> name = ItemFileName(item.name);
    if (!name) return "does not resolve (no safe file name)";
    const std::string path = rt.WorkspaceFolder + *name;
    rt.fs.clearAttributes(path);
    rt.fs.deleteFile(path);
    try {
        ExtractPayloadItem(rt, item.name, path);
    } catch (const std::exception& e) {
        return "does not resolve (" + console(e.what()) + ")";
    }
    const auto size = rt.fs.fileSize(path);
    if (!size) return item.raw ? "does not resolve" : "does not resolve (no member of that name)";
    return "resolves to " + console(*name) + " (" + std::to_string(*size) + " bytes)";
}

void printItems(std::ostream& out, Runtime& rt, const PayloadLayout& l) {
    out << "packed items: " << (l.items.empty() ? "none" : std::to_string(l.items.size())) << "\n";
    std::size_t width = 0;  // names and ranges line up in columns
    for (const PackedRange& item : l.items) width = std::max(width, console(item.name).size());
    for (const PackedRange& item : l.items) {
        const std::string range = std::to_string(item.begin) + ".." + std::to_string(item.end);
        out << "  " << std::left << std::setw(static_cast<int>(width)) << console(item.name) << "  "
            << std::setw(17) << range << std::right << std::setw(10) << item.end - item.begin
            << " bytes  " << (item.raw ? "raw" : "zip") << "  " << resolveItem(rt, item) << "\n";
    }
    const std::vector<std::string> problems = LayoutProblems(l);
    if (problems.empty()) return;
    out << "problems:\n";
    for (const auto& p : problems) out << "  " << console(p) << "\n";
}

}  // namespace

void PrintInspectText(std::ostream& out, const std::string& shownName, Runtime& rt,
                      const nlohmann::json& report) {
    std::optional<PayloadLayout> layout;
    std::string whyNot;
    try {
        layout = ReadPayloadLayout(rt.fs, rt.ProgramFilePath);
    } catch (const std::exception& e) {
        whyNot = e.what();
    }
    if (layout) {
        printPayload(out, shownName, *layout);
    } else {
        out << shownName << ": " << console(whyNot) << "\n";
        out << "  settings file: " << console(rt.SettingsFilePath)
            << (rt.fs.fileExists(rt.SettingsFilePath) ? "" : " (missing: defaults apply)") << "\n";
    }
    if (report["run_as_exe"].get<bool>())
        out << "  runs as .exe: plays full screen whatever the command line says\n";
    printChangedSettings(out, rt);
    printLists(out, report["lists"]);
    if (layout) printItems(out, rt, *layout);
    if (!report.contains("resolved")) return;
    out << "movie entries as playback resolves them:\n";
    for (const auto& e : report["resolved"])
        out << "  " << e["entry"].get<std::string>() << " -> " << e["path"].get<std::string>()
            << (e["ok"].get<bool>() ? "  [ok]" : "  [missing]") << "\n";
}

}  // namespace saver
