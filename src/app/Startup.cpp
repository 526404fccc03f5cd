#include "app/Startup.h"

#include <exception>

#include "app/CommandLine.h"
#include "payload/MediaLists.h"
#include "payload/PayloadLocator.h"
#include "payload/Runtime.h"
#include "payload/SettingsFile.h"
#include "payload/UserOverrides.h"

namespace saver {
namespace {

// Every screensaver built on this runtime shares the one guard, so only one of them runs at a
// time for the user.
const char kGuardMutexName[] = "orvantascreensaverflash";

}  // namespace

void LoadEverything(Runtime& rt) {
    rt.Random.seed(static_cast<std::mt19937::result_type>(rt.sys.clockSeed()));
    SettlePaths(rt);
    LoadSettings(rt);
    if (rt.PayloadPresent) ApplyUserOverrides(rt);
    BuildMediaLists(rt);
}

StartupResult RunStartup(Runtime& rt, const std::vector<std::string>& args) {
    StartupResult result;
    try {
        if (rt.ProgramFilePath.empty()) rt.ProgramFilePath = rt.sys.moduleFileName();
        if (!rt.sys.createGuardMutex(kGuardMutexName)) {
            result.outcome = StartupOutcome::SecondInstance;
            return result;
        }
        DecodeCommandLine(rt, args);
        LocatePayload(rt);
        LoadEverything(rt);
    } catch (const std::exception& e) {
        // The Windows entry shows this text in a message box and ends the program.
        result.outcome = StartupOutcome::Failed;
        result.error = e.what();
    } catch (...) {
        result.outcome = StartupOutcome::Failed;
        result.error = "Unknown error during start-up";
    }
    return result;
}

}  // namespace saver
