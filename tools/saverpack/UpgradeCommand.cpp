#include "UpgradeCommand.h"

#include <exception>
#include <ostream>

#include "ToolPlatform.h"
#include "UpgradeCheck.h"
#include "payload/PayloadUpgrade.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace saver {
namespace {

struct UpgradeOptions {
    std::string old, output, runtime;
};

bool parseOptions(const std::vector<std::string>& args, UpgradeOptions& o, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output" || a == "--runtime") {
            if (i + 1 >= args.size()) {
                err << "saverpack upgrade: value missing after " << a << "\n";
                return false;
            }
            (a == "--runtime" ? o.runtime : o.output) = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            err << "saverpack upgrade: unknown option " << a << "\n";
            return false;
        } else if (o.old.empty()) {
            o.old = a;
        } else {
            err << "saverpack upgrade: only one OLD screensaver, got also " << a << "\n";
            return false;
        }
    }
    if (o.old.empty())
        err << "saverpack upgrade: OLD screensaver missing\n";
    else if (o.output.empty())
        err << "saverpack upgrade: -o NEW is required\n";
    return !o.old.empty() && !o.output.empty();
}

void report(std::ostream& out, const UpgradeOptions& o, const std::string& runtime,
            const UpgradeResult& r, const UpgradeCheckResult& check) {
    out << "old runtime: " << r.oldRuntimeSize << " bytes; new runtime " << runtime << ": "
        << r.newRuntimeSize << " bytes; positions moved by " << (r.shift > 0 ? "+" : "") << r.shift
        << "\n";
    for (const PackedRange& item : r.items)
        out << "  " << ToolPlatform::consoleFromAnsi(item.name) << "  " << item.begin << ".."
            << item.end << (item.raw ? "  raw" : "  zip") << "\n";
    if (r.droppedTrailing > 0)
        out << "dropped: " << r.droppedTrailing
            << " bytes after the settings archive (a code signature of the old file; it cannot "
               "match the new one, sign NEW again if it must be signed)\n";
    out << "verified: start-up makes the same of both files (" << r.items.size() << " item(s), "
        << check.filesCompared << " extracted file(s) compared)\n";
    out << "wrote " << o.output << ": " << r.fileSize << " bytes, payload marker at "
        << r.markerOffset << "\n";
}

}  // namespace

int RunUpgrade(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    UpgradeOptions o;
    if (!parseOptions(args, o, err)) return 1;
    if (o.runtime.empty()) {
        const auto shipped = ToolPlatform::shippedRuntime();
        if (!shipped) {
            err << "saverpack upgrade: no flashsaver.scr next to saverpack (nor two folders up); "
                   "name the runtime with --runtime\n";
            return 1;
        }
        o.runtime = *shipped;
    }
    ToolPlatform platform;
    const auto oldPath = platform.windowsPath(o.old);
    const auto runtimePath = platform.windowsPath(o.runtime);
    const auto outPath = platform.windowsPath(o.output);
    if (!oldPath || !runtimePath || !outPath) {
        err << "saverpack upgrade: a path has no Windows form\n";
        return 1;
    }
    if (text::sameText(*outPath, *oldPath) || text::sameText(*outPath, *runtimePath)) {
        err << "saverpack upgrade: the output " << o.output << " is also an input\n";
        return 1;
    }
    // Written beside the output and renamed over it only once start-up agrees with the old file.
    const std::string temp = *outPath + ".upgrading~";
    FileSystem& fs = platform.fs();
    try {
        const UpgradeResult result = UpgradePayload(fs, *oldPath, *runtimePath, temp);
        const UpgradeCheckResult check = CheckUpgrade(platform, *oldPath, temp, result.items);
        if (!check.same)
            throw PayloadUpgradeError("the new file does not verify: " + check.difference);
        if (!fs.renameReplace(temp, *outPath))
            throw PayloadUpgradeError("cannot replace " + *outPath);
        report(out, o, o.runtime, result, check);
        return 0;
    } catch (const std::exception& e) {
        fs.deleteFile(temp);
        err << "saverpack upgrade: " << o.old << ": " << ToolPlatform::consoleFromAnsi(e.what())
            << "; nothing written\n";
        return 1;
    }
}

}  // namespace saver
