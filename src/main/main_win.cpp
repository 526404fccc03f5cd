// Program entry of the screensaver runtime (flashsaver.scr).
//
// Windows starts a screensaver with its role on the command line (/s, /c, /p <hwnd>, ...).
// Start-up runs before any window exists: the workspace folder is prepared, RunStartup guards
// against a second instance, decodes the arguments and loads payload and settings. A finished
// screensaver stored under an .exe name, and run mode 3, play the show in the full-screen
// window until it closes; run mode 5 with a window changes the screensaver password and ends
// without a window of its own. Run modes 1 and 2 show the settings dialog, run mode 4 the
// preview.
// The workspace is emptied at every exit, the early ones included.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "app/MessageLoop_win.h"
#include "app/SaverPassword.h"
#include "app/SaverPassword_win.h"
#include "app/Startup.h"
#include "app/Workspace.h"
#include "config/DistributeConfigForm_win.h"
#include "payload/Runtime.h"
#include "platform/Win32FileSystem_win.h"
#include "platform/Win32Services_win.h"
#include "platform/WinPath.h"
#include "player/FlashFullscreenForm_win.h"
#include "preview/PreviewForms_win.h"

namespace {

// The message box caption: the program file's name without folder and extension, so a user
// sees which screensaver failed.
std::string errorCaption(saver::SystemServices& sys) {
    std::string name = saver::winpath::fileNameOf(sys.moduleFileName());
    const std::string ext = saver::winpath::extensionOf(name);
    name.resize(name.size() - ext.size());
    return name.empty() ? std::string("Error") : name;
}

// Empties the workspace however the scope is left.
class WorkspaceCleaner {
  public:
    explicit WorkspaceCleaner(saver::Runtime& rt) : rt_(rt) {}
    ~WorkspaceCleaner() {
        try {
            saver::ClearWorkspace(rt_);
        } catch (...) {
            // Clean-up errors are of no interest to the user at exit.
        }
    }
    WorkspaceCleaner(const WorkspaceCleaner&) = delete;
    WorkspaceCleaner& operator=(const WorkspaceCleaner&) = delete;

  private:
    saver::Runtime& rt_;
};

// The show: the full-screen window and the message loop with its hook, until the window
// closes. In run mode 3 the window that had the focus before the start gets it back.
int runFullscreen(saver::Runtime& rt) {
    saver::Win32PasswordLibraries passwords;
    int exitCode = 1;
    {
        saver::TFlashFullscreenForm form(rt, passwords);
        if (form.create())
            exitCode = saver::RunMessageLoop(
                [&form](const MSG& msg) { return form.applicationMessage(msg); });
    }
    if (rt.RunMode == 3 && rt.ReturnWindow != 0) rt.sys.setForegroundWindow(rt.ReturnWindow);
    return exitCode;
}

int run() {
    saver::Win32FileSystem fileSystem;
    saver::Win32Services services;
    saver::Runtime rt(fileSystem, services);
    saver::PrepareWorkspace(rt);
    WorkspaceCleaner cleaner(rt);

    const saver::StartupResult result =
        saver::RunStartup(rt, saver::Win32Services::commandLineArguments());
    switch (result.outcome) {
        case saver::StartupOutcome::SecondInstance:
            return 0;
        case saver::StartupOutcome::Failed:
            services.messageBox(result.error, errorCaption(services),
                                saver::MessageBoxKind::OkError);
            return 1;
        case saver::StartupOutcome::Ready:
            break;
    }
    if (rt.RunAsExe) return runFullscreen(rt);
    if (rt.RunMode == 5) {
        // "/a xyz" (no usable window) shows nothing at all: neither the system's dialog nor ours.
        if (rt.ParentWindowHandle == 0) return 0;
        saver::Win32PasswordLibraries libraries;
        saver::ChangeSaverPassword(rt, libraries);
        return 0;
    }
    if (rt.RunMode == 3) return runFullscreen(rt);
    if (rt.RunMode == 4) return saver::RunPreview(rt);
    return saver::RunSettingsDialog(rt);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return run();
    } catch (const std::exception& e) {
        // RunStartup does not throw; this catches a failure of the seam itself.
        MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
        MessageBoxA(nullptr, "Unexpected error", "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    return 1;
}
