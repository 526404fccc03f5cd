// System: what the movie learns about the player. The answers are those of a stand-alone
// Windows player of version 9 (the player the movies of a screensaver were made for) on the
// screen the host names (1024 x 768 at 96 dpi unless told); `getVersion()` and `$version`
// give the same version.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

const char* const kPlayerVersion = "WIN 9,0,999,0";

namespace {

Value Nothing(CallInfo&) {
    return Value{};
}

Value False(CallInfo&) {
    return false;
}

// A movie played from a local file: the sandbox its FileAttributes chose.
Value SandboxType(CallInfo& c) {
    const bool network = c.vm.movie && c.vm.movie->useNetwork;
    return std::string(network ? "localWithNetwork" : "localWithFile");
}

void PutCapabilities(Object* caps, const InterpreterHost::Screen& screen);

}  // namespace

Value CapabilitiesQuery(CallInfo& c) {
    if (Object* target = c.thisValue.asObject()) PutCapabilities(target, c.vm.host().screen());
    return Value{};
}

void InstallSystemBuiltins(Interpreter& vm) {
    Object* system = vm.newObject();
    vm.global()->put("System", system, kDontEnum);
    system->put("useCodepage", false);
    system->put("exactSettings", false);
    vm.method(system, "setClipboard", False);
    vm.method(system, "showSettings", Nothing);

    Object* security = vm.newObject();
    system->put("security", security, kDontEnum);
    vm.method(security, "allowDomain", Nothing);
    vm.method(security, "allowInsecureDomain", Nothing);
    vm.method(security, "loadPolicyFile", Nothing);
    Accessor(vm, security, "sandboxType", SandboxType, nullptr);

    Object* caps = vm.newObject();
    system->put("capabilities", caps, kDontEnum);
    PutCapabilities(caps, vm.host().screen());

    vm.global()->put("$version", kPlayerVersion, kDontEnum);
}

namespace {

// The query string of the capabilities, with the screen's size and resolution in it.
std::string ServerString(const InterpreterHost::Screen& screen) {
    const std::string dpi = NumberToString(screen.dpi);
    return "A=t&SA=t&SV=t&EV=t&MP3=t&AE=f&VE=f&ACC=f&PR=f&SP=f&SB=f&DEB=f&V=WIN%209%2C0%2C999%2C0&"
           "M=Adobe%20Windows&R=" +
           std::to_string(screen.width) + "x" + std::to_string(screen.height) + "&DP=" + dpi +
           "&COL=color&AR=1.0&OS=Windows%20XP&L=en&IME=f&PT=StandAlone&AVD=f&LFD=f&WD=f&TLS=f";
}

void PutCapabilities(Object* caps, const InterpreterHost::Screen& screen) {
    const std::pair<const char*, Value> values[] = {
        {"avHardwareDisable", false},
        {"hasAccessibility", false},
        {"hasAudio", true},
        {"hasAudioEncoder", false},
        {"hasEmbeddedVideo", true},
        {"hasIME", false},
        {"hasMP3", true},
        {"hasPrinting", false},
        {"hasScreenBroadcast", false},
        {"hasScreenPlayback", false},
        {"hasStreamingAudio", true},
        {"hasStreamingVideo", true},
        {"hasTLS", false},
        {"hasVideoEncoder", false},
        {"isDebugger", false},
        {"language", "en"},
        {"localFileReadDisable", false},
        {"manufacturer", "Macromedia Windows"},
        {"os", "Windows XP"},
        {"pixelAspectRatio", 1},
        {"playerType", "StandAlone"},
        {"screenColor", "color"},
        {"screenDPI", screen.dpi},
        {"screenResolutionX", static_cast<double>(screen.width)},
        {"screenResolutionY", static_cast<double>(screen.height)},
        {"serverString", ServerString(screen)},
        {"version", kPlayerVersion},
        {"windowlessDisable", false}};
    for (const auto& [name, v] : values) caps->put(name, v);
}

}  // namespace

}  // namespace saver::swf::avm1
