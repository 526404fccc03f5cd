// Classes the player defines whose objects have nothing behind them in a screensaver: no
// camera or microphone (`get` answers null, no names), videos that show nothing,
// Accessibility with no screen reader, an IME that is never on (System.IME, a broadcaster
// like the player's), the Button class (buttons on the stage are reached as clips here) and
// TextField.StyleSheet (SWF 7 on) without styles. Scripts that test for them find them.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::uint16_t kSince7 = 0x400;

Value Nothing(CallInfo&) {
    return Value{};
}

Value False(CallInfo&) {
    return false;
}

Value NullValue(CallInfo&) {
    return Value(Null{});
}

Value NoNames(CallInfo& c) {
    return c.vm.newArray();
}

Value Unknown(CallInfo&) {
    return std::string("UNKNOWN");
}

// A device class: `get` finds no device, `names` lists none.
void DeviceClass(Interpreter& vm, const char* name) {
    Object* cls = MakeClass(vm, name, Nothing, nullptr);
    vm.method(cls, "get", NullValue);
    Property& names = cls->put("names", Value{}, kDontEnum);
    names.getter = vm.newFunction(NoNames);
}

void InstallIme(Interpreter& vm) {
    Object* system = vm.getMember(vm.global(), "System").asObject();
    if (!system) return;
    Object* ime = vm.newObject();
    system->put("IME", ime, kDontEnum);
    InitializeBroadcaster(vm, ime);
    for (const char* mode :
         {"ALPHANUMERIC_FULL", "ALPHANUMERIC_HALF", "CHINESE", "JAPANESE_HIRAGANA",
          "JAPANESE_KATAKANA_FULL", "JAPANESE_KATAKANA_HALF", "KOREAN", "UNKNOWN"})
        ime->put(mode, std::string(mode), kDontEnum | kDontDelete | kReadOnly);
    vm.method(ime, "getEnabled", False);
    vm.method(ime, "setEnabled", False);
    vm.method(ime, "getConversionMode", Unknown);
    vm.method(ime, "setConversionMode", False);
    vm.method(ime, "setCompositionString", False);
    vm.method(ime, "doConversion", False);
}

}  // namespace

void InstallPlaceholderBuiltins(Interpreter& vm) {
    DeviceClass(vm, "Camera");
    DeviceClass(vm, "Microphone");

    Object* videoProto = vm.newObject();
    MakeClass(vm, "Video", Nothing, videoProto);
    vm.method(videoProto, "attachVideo", Nothing);
    vm.method(videoProto, "clear", Nothing);

    MakeClass(vm, "Button", Nothing, nullptr);

    Object* accessibility = vm.newObject();
    vm.global()->put("Accessibility", accessibility, kDontEnum);
    vm.method(accessibility, "isActive", False);
    vm.method(accessibility, "updateProperties", Nothing);
    vm.method(accessibility, "sendEvent", Nothing);

    InstallIme(vm);

    if (Object* textField = vm.getMember(vm.global(), "TextField").asObject()) {
        Object* styleSheet = vm.newFunction(Nothing, vm.newObject());
        textField->put("StyleSheet", styleSheet, kDontEnum | kSince7);
    }
}

}  // namespace saver::swf::avm1
