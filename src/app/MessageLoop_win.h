// The application's message loop with its application-wide message hook.
//
// RunMessageLoop takes every message of the calling thread's queue (for every window of the
// application: the full-screen window, the cover windows, the player control's own window),
// shows it to the hook first and translates and dispatches it only when the hook did not mark
// it handled. It returns the exit code carried by WM_QUIT.
//
// Nothing thrown by the hook or by a window procedure leaves the loop: a failure there is
// dropped and the loop goes on, so input can always end a screensaver that covers the screen.
#pragma once

#include <windows.h>

#include <functional>

namespace saver {

// true = the message is handled and must not be dispatched.
using MessageHook = std::function<bool(const MSG&)>;

int RunMessageLoop(const MessageHook& hook);

}  // namespace saver
