// The call log of the test control: one line per call it receives, appended to the file
// named by the environment variable TESTCONTROL_LOG, or to testcontrol.log beside the DLL.
// Each line is flushed at once, so a test can read it while the host still runs. Failures
// to write are ignored.
#pragma once

namespace testcontrol {

void SetModule(void* module);  // the DLL's handle, for the default log path
void* Module();
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace testcontrol
