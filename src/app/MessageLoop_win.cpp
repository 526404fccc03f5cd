// A hook failure counts as "not handled" so that the message still reaches its window; a
// failure during dispatch (which mingw can unwind through the system's frames) is dropped.
// GetMessage answering -1 (an invalid window filter, which cannot happen with nullptr) would
// otherwise spin, so it ends the loop as a failure.
#include "app/MessageLoop_win.h"

namespace saver {

namespace {
bool askHook(const MessageHook& hook, const MSG& msg) {
    if (!hook) return false;
    try {
        return hook(msg);
    } catch (...) {
        return false;
    }
}
}  // namespace

int RunMessageLoop(const MessageHook& hook) {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        if (askHook(hook, msg)) continue;
        try {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } catch (...) {
            // The window procedures catch their own errors; this is the last line.
        }
    }
}

}  // namespace saver
