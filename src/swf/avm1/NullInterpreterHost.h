// NullInterpreterHost: a host for scripts that run without a movie (benchmarks, fuzzing and
// tests of the language): trace output and fscommands are dropped, getTimer() stays at 0, no
// timeline answers to a goto, play or stop, and every clip property reads as undefined.
// Override what a use needs to see.
#pragma once

#include <string>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

struct NullInterpreterHost : InterpreterHost {
    void trace(const std::string&) override {}
    void fscommand(const std::string&, const std::string&) override {}
    double timerMs() override { return 0; }
    void timelineGoto(Object*, int, bool) override {}
    void timelineGotoLabel(Object*, const std::string&, bool) override {}
    void timelineControl(Object*, int) override {}
    Value clipProperty(Object*, const std::string&) override { return Value{}; }
};

}  // namespace saver::swf::avm1
