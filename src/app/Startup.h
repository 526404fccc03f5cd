// The start-up sequence that runs before any window exists.
#pragma once

#include <string>
#include <vector>

namespace saver {

struct Runtime;

enum class StartupOutcome {
    Ready,           // run the role that RunMode / RunAsExe asks for
    SecondInstance,  // another screensaver on this runtime holds the guard: end at once
    Failed,          // an error start-up lets through: show `error` in a message box and end
};

struct StartupResult {
    StartupOutcome outcome = StartupOutcome::Ready;
    std::string error;
};

// Guard mutex, command line (args without the program name), LocatePayload, then
// LoadEverything. Expects PrepareWorkspace to have run. Never throws.
StartupResult RunStartup(Runtime& rt, const std::vector<std::string>& args);

// Start-up step 4: seed the random generator, SettlePaths, LoadSettings, ApplyUserOverrides
// (with a payload), BuildMediaLists. Throws what those let through.
void LoadEverything(Runtime& rt);

}  // namespace saver
