// The settings dialog of run modes 1 and 2 (TDistributeConfigForm).
#pragma once

namespace saver {

struct Runtime;

// Shows the settings dialog as the program's only window and returns the exit code once it is
// closed (OK stores the settings, Cancel and the close button store nothing).
int RunSettingsDialog(Runtime& rt);

}  // namespace saver
