// PrintJob: a screensaver has no one to answer a print dialog, so `start` fails (false, as
// when the user cancels), and `addPage` and `send` then do nothing. The paper and page sizes
// are read-only and zero. Like the player, the first PrintJob made puts those properties on
// the prototype it was made from.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

Value Zero(CallInfo&) {
    return 0;
}

Value Portrait(CallInfo&) {
    return std::string("portrait");
}

Value False(CallInfo&) {
    return false;
}

Value Nothing(CallInfo&) {
    return Value{};
}

Value PrintJobCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    Object* proto = self ? self->proto() : nullptr;
    if (!proto || proto->findOwn("orientation")) return Value{};
    const std::pair<const char*, NativeFn> sizes[] = {{"paperHeight", Zero},
                                                      {"paperWidth", Zero},
                                                      {"pageHeight", Zero},
                                                      {"pageWidth", Zero},
                                                      {"orientation", Portrait}};
    for (const auto& [name, get] : sizes) {
        Property& p = proto->put(name, Value{}, kDontDelete | kReadOnly);
        p.getter = c.vm.newFunction(get);
    }
    return Value{};
}

}  // namespace

void InstallPrintJobBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "PrintJob", PrintJobCtor, proto);
    vm.method(proto, "start", False);
    vm.method(proto, "addPage", False);
    vm.method(proto, "send", Nothing);
}

}  // namespace saver::swf::avm1
