// Test probe for the end-to-end tests under Wine; never shipped.
//
// Runs exactly the start-up of the real runtime (Win32 file system and services, the real
// registry, temp folder and guard mutex) and prints what it decided as one JSON object on
// stdout: the inspection report of saverpack plus the run state that only a real start shows.
// Screensavers are built on a copy of this program the same way as on the runtime, so the
// payload code paths are the same.
//
// When the environment variable SAVER_PROBE_HOLD names a file, the probe waits (at most two
// minutes) until that file is gone before it clears the workspace and ends: the test can look at
// the workspace meanwhile, and the guard mutex stays held for a second start.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "InspectReport.h"
#include "app/Startup.h"
#include "app/Workspace.h"
#include "payload/Runtime.h"
#include "platform/Text.h"
#include "platform/Win32FileSystem_win.h"
#include "platform/Win32Services_win.h"

namespace {

const char* outcomeName(saver::StartupOutcome outcome) {
    switch (outcome) {
        case saver::StartupOutcome::Ready:
            return "Ready";
        case saver::StartupOutcome::SecondInstance:
            return "SecondInstance";
        case saver::StartupOutcome::Failed:
            return "Failed";
    }
    return "?";
}

nlohmann::json describe(const saver::Runtime& rt, const saver::StartupResult& result) {
    using saver::text::cp1252ToUtf8;
    nlohmann::json report = saver::InspectReport(rt, false, {});
    report["outcome"] = outcomeName(result.outcome);
    report["error"] = cp1252ToUtf8(result.error);
    report["run_mode"] = rt.RunMode;
    report["parent_window"] = rt.ParentWindowHandle;
    report["return_window_nonzero"] = rt.ReturnWindow != 0;
    report["workspace_folder"] = cp1252ToUtf8(rt.WorkspaceFolder);
    report["program_file_path"] = cp1252ToUtf8(rt.ProgramFilePath);
    report["program_base_name"] = cp1252ToUtf8(rt.ProgramBaseName);
    report["builder_folder"] = cp1252ToUtf8(rt.BuilderFolder);
    report["settings_file_path"] = cp1252ToUtf8(rt.SettingsFilePath);
    return report;
}

void holdWhileFileExists() {
    char name[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableA("SAVER_PROBE_HOLD", name, sizeof(name));
    if (n == 0 || n >= sizeof(name)) return;
    for (int waited = 0; waited < 120000; waited += 50) {
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) return;
        Sleep(50);
    }
}

}  // namespace

int main() {
    saver::Win32FileSystem fileSystem;
    saver::Win32Services services;
    saver::Runtime rt(fileSystem, services);
    saver::PrepareWorkspace(rt);

    // The arguments exactly as the runtime takes them.
    const saver::StartupResult result =
        saver::RunStartup(rt, saver::Win32Services::commandLineArguments());

    const std::string out = describe(rt, result).dump(2) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);

    holdWhileFileExists();
    saver::ClearWorkspace(rt);
    return result.outcome == saver::StartupOutcome::Failed ? 1 : 0;
}
