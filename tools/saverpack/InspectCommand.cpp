#include "InspectCommand.h"

#include <exception>
#include <ostream>

#include "InspectReport.h"
#include "ToolPlatform.h"
#include "app/Runtime.h"
#include "app/Startup.h"
#include "app/Workspace.h"
#include "payload/MediaLists.h"
#include "payload/PayloadLocator.h"
#include "platform/FakeServices.h"
#include "platform/FileSystem.h"

namespace saver {
namespace {

struct InspectOptions {
    std::string file;
    bool json = false;
    bool resolve = false;
};

bool parseOptions(const std::vector<std::string>& args, InspectOptions& o, std::ostream& err) {
    for (const auto& a : args) {
        if (a == "--json") {
            o.json = true;
        } else if (a == "--resolve") {
            o.resolve = true;
        } else if (!a.empty() && a[0] == '-') {
            err << "saverpack inspect: unknown option " << a << "\n";
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            err << "saverpack inspect: only one FILE, got also " << a << "\n";
            return false;
        }
    }
    if (o.file.empty()) err << "saverpack inspect: FILE missing\n";
    return !o.file.empty();
}

// Resolves every movie entry in list order; the workspace then shows what playback would find.
std::vector<ResolvedEntry> resolveFlashList(Runtime& rt) {
    std::vector<ResolvedEntry> out;
    for (const std::string& entry : rt.Setting.FlashList) {
        ResolvedEntry r{entry, entry, false};
        r.ok = ResolveMediaEntry(rt, r.path);
        out.push_back(std::move(r));
    }
    return out;
}

void printList(std::ostream& out, const char* name, const nlohmann::json& list) {
    out << name << " (" << list.size() << ")";
    const char* sep = ": ";
    for (const auto& e : list) {
        out << sep << e.get<std::string>();
        sep = ", ";
    }
    out << "\n";
}

// The report is UTF-8 already, which is what a terminal wants.
void printSummary(std::ostream& out, const std::string& file, const nlohmann::json& r) {
    out << file << ": ";
    if (r["payload_present"].get<bool>())
        out << "finished screensaver, settings member \"" << r["settings_member"].get<std::string>()
            << "\"";
    else
        out << "no payload (bare runtime)";
    out << (r["run_as_exe"].get<bool>() ? ", runs as .exe" : "") << "\n";
    for (const char* name : {"FlashList", "PictureList", "MusicList", "VideoList", "WebList"})
        if (!r["lists"][name].empty() || std::string(name) == "FlashList")
            printList(out, name, r["lists"][name]);
    out << "workspace: " << r["workspace"].size() << " file(s)";
    const char* sep = ": ";
    for (const auto& f : r["workspace"]) {
        out << sep << f["name"].get<std::string>() << " (" << f["size"].get<std::uint64_t>()
            << " bytes)";
        sep = ", ";
    }
    out << "\n";
    if (!r.contains("resolved")) return;
    for (const auto& e : r["resolved"])
        out << "  " << e["entry"].get<std::string>() << " -> " << e["path"].get<std::string>()
            << (e["ok"].get<bool>() ? "  [ok]" : "  [missing]") << "\n";
}

}  // namespace

int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    InspectOptions o;
    if (!parseOptions(args, o, err)) return 1;

    ToolPlatform platform;
    const auto program = platform.windowsPath(o.file);
    if (!program || !platform.fs().openRead(*program)) {
        err << "saverpack inspect: cannot read " << o.file << "\n";
        return 1;
    }
    ScratchFolder scratch;  // outlives the Runtime, which keeps the program file open
    const auto temp = scratch.path().empty() ? std::nullopt : platform.windowsPath(scratch.path());
    if (!temp) {
        err << "saverpack inspect: cannot create a temporary folder\n";
        return 1;
    }

    FakeServices services;
    services.moduleName = *program;
    services.temp = *temp + "\\";
    Runtime rt(platform.fs(), services);
    rt.ProgramFilePath = *program;
    PrepareWorkspace(rt);
    nlohmann::json report;
    try {
        LocatePayload(rt);
        LoadEverything(rt);
        const auto resolved = o.resolve ? resolveFlashList(rt) : std::vector<ResolvedEntry>{};
        report = InspectReport(rt, o.resolve, resolved);
    } catch (const std::exception& e) {
        err << "saverpack inspect: start-up failed: " << ToolPlatform::consoleFromAnsi(e.what())
            << "\n";
        return 2;
    }
    if (o.json)
        out << report.dump(2) << "\n";
    else
        printSummary(out, o.file, report);
    return 0;
}

}  // namespace saver
