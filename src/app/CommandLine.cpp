#include "app/CommandLine.h"

#include "payload/Runtime.h"
#include "platform/Text.h"

namespace saver {
namespace {

// Window handles are pointer-sized on 64-bit Windows, so a handle Display Properties passes may
// not fit in 32 bits; anything that is not a plain decimal number counts as "no window".
WindowHandle ParseHandle(const std::string& arg) {
    return text::toInt64Decimal(arg).value_or(0);
}

}  // namespace

void DecodeCommandLine(Runtime& rt, const std::vector<std::string>& args) {
    if (args.empty()) {
        rt.RunMode = 1;
        return;
    }
    const std::string first = text::upper(args[0]);
    // A lone character (or an empty argument) names no role. Starting the full-screen show on a
    // stray argument would lock the screen unasked; the settings dialog is the harmless choice.
    if (first.size() < 2) {
        rt.RunMode = 1;
        return;
    }
    const bool hasSecond = args.size() >= 2;
    switch (first[1]) {
        case 'A':
            if (hasSecond) {
                rt.RunMode = 5;
                rt.ParentWindowHandle = ParseHandle(args[1]);
            }
            break;
        case 'C':
            rt.RunMode = 2;
            rt.ReturnWindow = rt.sys.foregroundWindow();
            break;
        case 'P':
            if (hasSecond) {
                rt.RunMode = 4;
                rt.ParentWindowHandle = ParseHandle(args[1]);
            }
            break;
        default:
            rt.RunMode = 3;
            rt.ReturnWindow = rt.sys.foregroundWindow();
            break;
    }
}

}  // namespace saver
