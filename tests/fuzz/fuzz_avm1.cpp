// libFuzzer target: any byte string as the actions of a frame script, run by the interpreter
// for a few frames (the same block each frame, so state carried between frames is exercised).
// Crashes, sanitizer reports, hangs and runaway memory are findings; the interpreter's own
// limits (per-frame budget, call depth, heap budget) must stop anything else.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"

namespace {

using namespace saver::swf::avm1;

struct QuietHost : NullInterpreterHost {
    std::size_t traced = 0;
    void trace(const std::string& line) override { traced += line.size(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    QuietHost host;
    const int version = 4 + data[0] % 6;  // SWF 4 to 9
    Interpreter vm(version, host);
    vm.setBudget(20'000, std::chrono::milliseconds(200));
    const std::span<const std::uint8_t> code(data + 1, size - 1);
    Object* clip = vm.newObject();
    for (int frame = 0; frame < 3; ++frame) {
        vm.runBlock(code, clip);
        vm.runTimers(frame * 100.0);
        vm.endFrame({clip});
    }
    return 0;
}
