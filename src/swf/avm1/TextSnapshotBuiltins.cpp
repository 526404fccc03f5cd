// TextSnapshot: the static text of a clip, for searching and selecting. The player here keeps
// no static text for scripts, so a snapshot reads as one of a clip without any: no
// characters, nothing found, nothing selected.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Value Nothing(CallInfo&) {
    return Value{};
}
Value Zero(CallInfo&) {
    return 0.0;
}
Value NotFound(CallInfo&) {
    return -1.0;
}
Value Empty(CallInfo&) {
    return std::string();
}
Value False(CallInfo&) {
    return false;
}
Value NoRuns(CallInfo& c) {
    return c.vm.newArray();
}

}  // namespace

void InstallTextSnapshotBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "TextSnapshot", Nothing, proto);
    proto->findOwn("constructor")->flags = kDontEnum | kDontDelete;
    // The methods came with the player of SWF 6 (older movies see none, yet for..in lists
    // them); they are enumerable and deletable.
    constexpr std::uint16_t kSwf6 = 0x80;
    const std::pair<const char*, NativeFn> methods[] = {
        {"getCount", Zero},     {"setSelected", Nothing},    {"getSelected", False},
        {"getText", Empty},     {"getSelectedText", Empty},  {"hitTestTextNearPos", NotFound},
        {"findText", NotFound}, {"setSelectColor", Nothing}, {"getTextRunInfo", NoRuns}};
    for (const auto& [name, fn] : methods) {
        vm.method(proto, name, fn);
        proto->findOwn(name)->flags = kSwf6;
    }
}

}  // namespace saver::swf::avm1
