// The preview ends with its window. Display Properties destroys the preview parent, and with it
// our child window, whenever the user picks another screensaver or closes the dialog; the
// window's WM_DESTROY then posts WM_QUIT. A host that is killed outright takes the child window
// away without any message, so the loop also wakes every 250 ms and ends once the parent (or
// the form itself) no longer exists. Without this the preview processes of killed hosts would
// pile up, each holding the single-instance guard that the next start needs.
#include "preview/PreviewForms_win.h"

#include <windows.h>

#include <cstdint>

#include "payload/Runtime.h"
#include "preview/PreviewDesign.h"
#include "preview/PreviewForm_win.h"

namespace saver {

namespace {

constexpr DWORD kParentPollMs = 250;

bool stillThere(HWND form, HWND parent) {
    return IsWindow(form) && (!parent || IsWindow(parent));
}

int runPreviewLoop(HWND form, HWND parent) {
    MSG msg{};
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            try {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            } catch (...) {
                // The form catches its own errors; this is the last line.
            }
        }
        if (!stillThere(form, parent)) return 0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kParentPollMs, QS_ALLINPUT);
    }
}

}  // namespace

int RunPreview(Runtime& rt) {
    const PreviewFormKind kind = ChoosePreviewForm(rt);
    HWND parent = reinterpret_cast<HWND>(static_cast<std::intptr_t>(rt.ParentWindowHandle));
    PreviewForm form(DescribePreview(rt, kind), parent);
    // A parent handle that names no window: the preview area is already gone.
    if (!form.create()) return 1;
    return runPreviewLoop(form.window(), parent);
}

}  // namespace saver
