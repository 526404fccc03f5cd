// CallOnNextTimerPass: how a load the player cannot make answers — the callback runs on the
// next timer pass after the call that asked, never inside it.
//
// Failure: none; like setInterval, nothing is queued once 10000 timers are pending (a script
// asking in a loop gets no answer rather than unbounded memory).
#pragma once

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

// Queues `function` (a native or script function, called with no arguments and no `this`).
inline void CallOnNextTimerPass(Interpreter& vm, Object* function) {
    if (vm.timers.size() >= 10000) return;
    Interpreter::Timer t;
    t.id = vm.nextTimerId++;
    t.function = function;
    t.repeat = false;
    t.due = 0;
    vm.timers.push_back(std::move(t));
}

}  // namespace saver::swf::avm1
