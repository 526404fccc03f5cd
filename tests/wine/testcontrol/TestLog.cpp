#include "TestLog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace testcontrol {

namespace {

HMODULE g_module = nullptr;

std::string logPath() {
    char buffer[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TESTCONTROL_LOG", buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer) return buffer;
    n = GetModuleFileNameA(g_module, buffer, sizeof buffer);
    std::string path(buffer, n);
    return path.substr(0, path.find_last_of('\\') + 1) + "testcontrol.log";
}

}  // namespace

void SetModule(void* module) {
    g_module = static_cast<HMODULE>(module);
}
void* Module() {
    return g_module;
}

void Log(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // Opened per line: the host may end at any moment and the tests read the file meanwhile.
    if (FILE* f = std::fopen(logPath().c_str(), "ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

}  // namespace testcontrol
