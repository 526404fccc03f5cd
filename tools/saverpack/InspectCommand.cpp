#include "InspectCommand.h"

#include <exception>
#include <ostream>

#include "InspectReport.h"
#include "InspectText.h"
#include "ScratchStartup.h"
#include "ToolPlatform.h"
#include "payload/Runtime.h"
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
    ScratchStartup startup(platform, *program);
    if (!startup.ready()) {
        err << "saverpack inspect: cannot create a temporary folder\n";
        return 1;
    }
    Runtime& rt = startup.rt();
    nlohmann::json report;
    try {
        startup.run();
        const auto resolved = o.resolve ? startup.resolveFlashList() : std::vector<ResolvedEntry>{};
        report = InspectReport(rt, o.resolve, resolved);
    } catch (const std::exception& e) {
        err << "saverpack inspect: start-up failed: " << ToolPlatform::consoleFromAnsi(e.what())
            << "\n";
        return 2;
    }
    if (o.json)
        out << report.dump(2) << "\n";
    else
        PrintInspectText(out, o.file, rt, report);
    return 0;
}

}  // namespace saver
